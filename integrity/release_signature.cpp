#include "integrity/release_signature.h"

#include <cstdlib>

#include "base/ansi_text.h"
#include "integrity/hex_text.h"

namespace integrity {

const char kSignatureFileName[] = "Arkenfel_Release.sig";

namespace {

const char kHeader[] = "ARKENFEL RELEASE SIGNATURE 1";
const char kLineEnd[] = "\r\n";

// Decimal digits without sign or leading zeros, at most 4294967295.
bool ParseUnsigned32(const std::string& text, uint32_t& value) {
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) return false;
    uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    if (number > 0xFFFFFFFFull) return false;
    value = static_cast<uint32_t>(number);
    return true;
}

bool HasControlCharacters(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// Splits the text into lines, each of which must end with CR LF.
bool SplitLines(const std::string& text, std::vector<std::string>& lines, std::vector<size_t>& starts) {
    size_t position = 0;
    while (position < text.size()) {
        const size_t end = text.find(kLineEnd, position);
        if (end == std::string::npos) return false;
        starts.push_back(position);
        lines.push_back(text.substr(position, end - position));
        position = end + 2;
    }
    return true;
}

// "<keyword> <value>": the value, or false when the keyword differs.
bool TakeValue(const std::string& line, const char* keyword, std::string& value) {
    const std::string prefix = std::string(keyword) + " ";
    if (line.compare(0, prefix.size(), prefix) != 0) return false;
    value = line.substr(prefix.size());
    return !value.empty() && !HasControlCharacters(value);
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
        !DigestFromHex(rest.substr(sizeEnd + 1, digestEnd - sizeEnd - 1), file.sha256))
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
    text += "list " + DigestToHex(manifest.listSha256) + kLineEnd;
    for (const auto& file : manifest.files)
        text += "file " + std::to_string(file.second.size) + " " + DigestToHex(file.second.sha256) + " " + file.first +
                kLineEnd;
    return text;
}

std::string SignatureFileText(const std::string& manifestText, const std::vector<uint8_t>& signature) {
    return manifestText + "signature " + BytesToHex(signature.data(), signature.size()) + kLineEnd;
}

bool ParseSignatureFile(const std::string& text, SignatureFile& file) {
    std::vector<std::string> lines;
    std::vector<size_t> starts;
    if (!SplitLines(text, lines, starts) || lines.size() < 5 || lines[0] != kHeader) return false;
    ReleaseManifest& manifest = file.manifest;
    std::string serial, list, signature;
    if (!TakeValue(lines[1], "folder", manifest.folder) || !TakeValue(lines[2], "serial", serial) ||
        !ParseUnsigned32(serial, manifest.serial) || manifest.serial == 0 || !TakeValue(lines[3], "list", list) ||
        !DigestFromHex(list, manifest.listSha256))
        return false;
    const size_t last = lines.size() - 1;
    for (size_t i = 4; i < last; ++i)
        if (!ParseFileLine(lines[i], manifest)) return false;
    if (!TakeValue(lines[last], "signature", signature) || !HexToBytes(signature, file.signature)) return false;
    file.signedText = text.substr(0, starts[last]);
    return true;
}

}  // namespace integrity
