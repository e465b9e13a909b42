#include "release/file_identity.h"

#include <cstdio>
#include <memory>

#include "base/ansi_text.h"
#include "base/file_system.h"
#include "release/fingerprint_builder.h"

namespace release {
namespace {

// Reads go through a buffer large enough to keep read calls few and small
// enough to stay in the processor's cache while its samples are gathered, so
// the sampled hash costs little more than reading the file; the sampling
// itself still follows 1024-byte blocks.
constexpr size_t kReadSize = 256 * 1024;
constexpr uint64_t kBlock = kFingerprintBlock;

// Whole blocks, so that every read but the last ends on a block boundary;
// small files get a small buffer.
size_t ReadSizeFor(uint64_t size) {
    return size >= kReadSize ? kReadSize : static_cast<size_t>((size / kBlock + 1) * kBlock);
}

}  // namespace

// The MD5 state is local to each call, so fingerprints may be computed on
// several threads at once (the program itself only does so on its worker).
bool ComputeFingerprint(const std::string& path, char out[17]) {
    base::ReadingFile file(path, base::ReadingFile::Sharing::kReadersAndWriters, true);
    if (!file.ok()) {
        std::printf("\n File open error [%s] \n", path.c_str());
        return false;
    }
    uint64_t size = 0;
    if (!file.Size(size)) size = 0;
    const size_t readSize = ReadSizeFor(size);

    FingerprintBuilder fingerprint(size, readSize);
    std::unique_ptr<char[]> buffer(new char[readSize]);
    for (;;) {
        size_t got = 0;
        if (!file.ReadFull(buffer.get(), readSize, got)) return false;
        if (got == 0) break;
        fingerprint.Feed(buffer.get(), got);
        if (got < readSize) break;
    }
    fingerprint.Finish(out);
    return true;
}

bool MatchesFingerprint(const std::string& path, const std::string& expected) {
    char text[17] = {};
    ComputeFingerprint(path, text);
    return base::EqualsNoCase(text, expected);
}

uint64_t GetFileSize64(const std::string& path) { return base::FileSizeOf(path); }

bool SameVersionText(const std::string& a, const std::string& b) {
    auto digits = [](std::string text) {
        for (char ch : {',', '.', ' '}) text = base::RemoveAll(std::move(text), ch);
        return text;
    };
    return digits(a) == digits(b);
}

}  // namespace release
