#include "release/list_text.h"

#include "base/ansi_text.h"
#include "release/md5.h"
#include "release/staging_layout.h"

namespace release {

const std::string kPartialSuffix = ".partial";

namespace {

const char kLineEnd[] = "\r\n";
constexpr size_t kBlock = 1024;       // the fingerprint's block
constexpr size_t kSampledBytes = 8;   // bytes it takes from each full block
constexpr size_t kSizeWidth = 10;     // digits of the largest 32-bit size
constexpr size_t kFingerprintLength = 16;
constexpr size_t kShortestComment = 3;  // ";" and the line end

// A comment line of exactly `length` bytes (at least kShortestComment); it
// says why it is there when it has room.
std::string CommentLine(size_t length) {
    static const std::string kWhy = "; padding: keeps the list's own entry out of its fingerprint ";
    std::string line = length >= kWhy.size() + 2 ? kWhy : ";";
    return line + std::string(length - line.size() - 2, '-') + kLineEnd;
}

// A comment that carries the MD5 of the entries into the first bytes of the
// file. The fingerprint samples only 8 bytes per 1024-byte block, and a list
// changes mostly elsewhere; without this, two releases' lists of one size
// would share a fingerprint, and the updater would keep the older one.
std::string DigestLine(const std::string& listText) {
    release::Md5 md5;
    md5.Update(listText.data(), listText.size());
    std::string hex;
    for (uint8_t byte : md5.Finish()) hex += base::FormatText("%02x", byte);
    return ";" + hex + " digest of the entries" + kLineEnd;
}

}  // namespace

std::string ListKey(const PublishedEntry& entry) {
    return entry.localPath.empty() ? entry.remoteName : entry.remoteName + "|" + entry.localPath;
}

std::string ListValue(const PublishedEntry& entry) {
    const std::string value = base::FormatText("%s|%u|%s|%s", entry.version.c_str(), entry.size,
                                               entry.fingerprint.c_str(), entry.revision.c_str());
    if (!entry.blockIndexSize) return value;
    const std::string indexed = value + base::FormatText("|%u", entry.blockIndexSize);
    return entry.indexSeeds ? indexed + base::FormatText("|%u", entry.indexSeeds) : indexed;
}

std::string BuildListText(const std::vector<PublishedSection>& sections) {
    std::string text;
    for (const PublishedSection& section : sections) {
        if (!text.empty()) text += kLineEnd;
        text += "[" + section.name + "]" + kLineEnd;
        for (const PublishedEntry& entry : section.entries) text += ListKey(entry) + "=" + ListValue(entry) + kLineEnd;
    }
    return text;
}

SelfDescribedList AppendSelfEntry(const std::string& entries) {
    const std::string listText = DigestLine(entries) + entries;
    const std::string head = std::string(kListFileName) + "=|";
    // The size and fingerprint must sit past the sampled start of a block;
    // when they would not, a comment moves them to offset 8 (or 16, when the
    // gap is too short for a comment line) of the next one.
    const size_t offset = (listText.size() + head.size()) % kBlock;
    const size_t valueLength = kSizeWidth + 1 + kFingerprintLength;
    size_t padBefore = 0;
    if (offset < kSampledBytes || offset + valueLength > kBlock) {
        padBefore = (kBlock + kSampledBytes - offset) % kBlock;
        if (padBefore < kShortestComment) padBefore += kSampledBytes;
    }

    const size_t valueStart = listText.size() + padBefore + head.size();
    const size_t entryEnd = valueStart + valueLength + 1 + 2;
    // The file ends 8 bytes into the next block: the entry lies in full
    // blocks only, and the size is never one the fingerprint hashes whole.
    const size_t fileSize = (valueStart / kBlock + 1) * kBlock + kSampledBytes;

    SelfDescribedList list;
    list.text = listText;
    if (padBefore > 0) list.text += CommentLine(padBefore);
    list.text += head + base::FormatText("%010u", static_cast<unsigned>(fileSize)) + "|";
    list.fingerprintOffset = list.text.size();
    list.text += std::string(kFingerprintLength, '0') + "|" + kLineEnd;
    list.text += CommentLine(fileSize - entryEnd);
    return list;
}

void FillSelfFingerprint(SelfDescribedList& list, const std::string& fingerprint) {
    list.text.replace(list.fingerprintOffset, kFingerprintLength, fingerprint);
}

}  // namespace release
