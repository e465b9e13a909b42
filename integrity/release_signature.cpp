#include "integrity/release_signature.h"

#include <cstdlib>
#include <set>

#include "base/ansi_text.h"
#include "crypto/hex_text.h"
#include "integrity/signed_lines.h"

namespace integrity {


namespace {

const char kHeader[] = "ARKENFEL RELEASE SIGNATURE 1";
const char kChannelKeyword[] = "channel";

// "channel <key>", or "channel" alone for the gateway's plain line (the empty key).
bool ParseChannelLine(const std::string& line, std::string& channel) {
    channel.clear();
    return line == kChannelKeyword || TakeValue(line, kChannelKeyword, channel);
}

// Channel lines follow the serial: at most kMaxChannels, in byte order, each
// once. `next` is the first line after them.
bool ParseChannelLines(const std::vector<std::string>& lines, size_t& next, std::set<std::string>& channels) {
    std::string channel;
    for (; next < lines.size() && ParseChannelLine(lines[next], channel); ++next) {
        if (channels.size() == kMaxChannels || (!channels.empty() && channel <= *channels.rbegin())) return false;
        channels.insert(channels.end(), channel);
    }
    return true;
}

// One "file" line, whose name must sort after every name before it (byte
// order), as the lines are written.
bool ParseFileLine(const std::string& line, ReleaseManifest& manifest) {
    std::string rest;
    if (!TakeValue(line, "file", rest)) return false;
    const size_t sizeEnd = rest.find(' ');
    if (sizeEnd == std::string::npos) return false;
    const size_t digestEnd = rest.find(' ', sizeEnd + 1);
    if (digestEnd == std::string::npos) return false;
    SignedFile file;
    const std::string name = rest.substr(digestEnd + 1);
    if (name.empty() || !ParseUnsigned32(rest.substr(0, sizeEnd), file.size) ||
        !crypto::DigestFromHex(rest.substr(sizeEnd + 1, digestEnd - sizeEnd - 1), file.sha256))
        return false;
    if (!manifest.files.empty() && name <= manifest.files.rbegin()->first) return false;
    manifest.files.emplace(name, file);
    return true;
}

}  // namespace

std::string ManifestText(const ReleaseManifest& manifest) {
    std::string text = std::string(kHeader) + kLineEnd;
    text += "folder " + manifest.folder + kLineEnd;
    text += "serial " + std::to_string(manifest.serial) + kLineEnd;
    for (const std::string& channel : manifest.channels)
        text += std::string(kChannelKeyword) + (channel.empty() ? "" : " " + channel) + kLineEnd;
    text += "list " + crypto::DigestToHex(manifest.listSha256) + kLineEnd;
    for (const auto& file : manifest.files)
        text += "file " + std::to_string(file.second.size) + " " + crypto::DigestToHex(file.second.sha256) + " " + file.first +
                kLineEnd;
    return text;
}

std::string SignatureFileText(const std::string& manifestText, const std::vector<uint8_t>& signature) {
    return manifestText + "signature " + crypto::BytesToHex(signature.data(), signature.size()) + kLineEnd;
}

bool ParseSignatureFile(const std::string& text, SignatureFile& file) {
    std::vector<std::string> lines;
    std::vector<size_t> starts;
    if (!SplitLines(text, lines, starts) || lines.size() < 5 || lines[0] != kHeader) return false;
    ReleaseManifest& manifest = file.manifest;
    std::string serial, list, signature;
    size_t next = 3;
    if (!TakeValue(lines[1], "folder", manifest.folder) || !TakeValue(lines[2], "serial", serial) ||
        !ParseUnsigned32(serial, manifest.serial) || manifest.serial == 0 ||
        !ParseChannelLines(lines, next, manifest.channels) || next + 2 > lines.size() ||
        !TakeValue(lines[next], "list", list) || !crypto::DigestFromHex(list, manifest.listSha256))
        return false;
    const size_t last = lines.size() - 1;
    for (size_t i = next + 1; i < last; ++i)
        if (!ParseFileLine(lines[i], manifest)) return false;
    if (!TakeValue(lines[last], "signature", signature) || !crypto::HexToBytes(signature, file.signature)) return false;
    file.signedText = text.substr(0, starts[last]);
    return true;
}

}  // namespace integrity
