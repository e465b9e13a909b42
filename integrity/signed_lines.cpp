#include "integrity/signed_lines.h"

#include "crypto/hex_text.h"

namespace integrity {

const char kLineEnd[] = "\r\n";

namespace {

const char kRootSignatureKeyword[] = "root-signature";

bool HasControlCharacters(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

}  // namespace

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

bool TakeValue(const std::string& line, const char* keyword, std::string& value) {
    const std::string prefix = std::string(keyword) + " ";
    if (line.compare(0, prefix.size(), prefix) != 0) return false;
    value = line.substr(prefix.size());
    return !value.empty() && !HasControlCharacters(value);
}

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

bool TakeHex(const std::string& text, size_t maxBytes, std::vector<uint8_t>& bytes) {
    return !text.empty() && text.size() <= 2 * maxBytes && crypto::HexToBytes(text, bytes);
}

std::string RootSignatureLine(const RootSignature& signature) {
    return std::string(kRootSignatureKeyword) + " " + crypto::DigestToHex(signature.keyId) + " " +
           crypto::BytesToHex(signature.signature.data(), signature.signature.size()) + kLineEnd;
}

bool ParseRootSignatureLine(const std::string& line, RootSignature& signature) {
    std::string rest;
    if (!TakeValue(line, kRootSignatureKeyword, rest)) return false;
    const size_t space = rest.find(' ');
    return space != std::string::npos && crypto::DigestFromHex(rest.substr(0, space), signature.keyId) &&
           TakeHex(rest.substr(space + 1), kMaxSignatureBytes, signature.signature);
}

}  // namespace integrity
