#include "crypto/key_text.h"

namespace crypto {
namespace {

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Base64 with line breaks and blanks anywhere, "=" padding only at its end.
bool DecodeBase64(const std::string& text, std::vector<uint8_t>& bytes) {
    bytes.clear();
    uint32_t bits = 0;
    int count = 0, padding = 0;
    for (const char c : text) {
        if (IsBlank(c)) continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int value = Base64Value(c);
        if (value < 0 || padding > 0) return false;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        if (++count == 4) {
            bytes.push_back(static_cast<uint8_t>(bits >> 16));
            bytes.push_back(static_cast<uint8_t>(bits >> 8));
            bytes.push_back(static_cast<uint8_t>(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 0) return padding == 0 && !bytes.empty();
    if (count == 1 || count + padding != 4) return false;
    bits <<= 6 * (4 - count);
    bytes.push_back(static_cast<uint8_t>(bits >> 16));
    if (count == 3) bytes.push_back(static_cast<uint8_t>(bits >> 8));
    return true;
}

}  // namespace

std::string EncodeKeyText(const std::string& der, const char* label) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string base64;
    for (size_t i = 0; i < der.size(); i += 3) {
        const size_t left = der.size() - i;
        uint32_t bits = static_cast<uint32_t>(static_cast<uint8_t>(der[i])) << 16;
        if (left > 1) bits |= static_cast<uint32_t>(static_cast<uint8_t>(der[i + 1])) << 8;
        if (left > 2) bits |= static_cast<uint8_t>(der[i + 2]);
        base64 += kAlphabet[(bits >> 18) & 63];
        base64 += kAlphabet[(bits >> 12) & 63];
        base64 += left > 1 ? kAlphabet[(bits >> 6) & 63] : '=';
        base64 += left > 2 ? kAlphabet[bits & 63] : '=';
    }
    std::string text = std::string("-----BEGIN ") + label + "-----\r\n";
    for (size_t i = 0; i < base64.size(); i += 64) text += base64.substr(i, 64) + "\r\n";
    return text + "-----END " + label + "-----\r\n";
}

bool DecodeKeyText(const std::string& file, const char* label, std::vector<uint8_t>& der) {
    if (!file.empty() && static_cast<uint8_t>(file[0]) == 0x30) {
        der.assign(file.begin(), file.end());
        return true;
    }
    const std::string begin = std::string("-----BEGIN ") + label + "-----";
    const size_t start = file.find(begin);
    if (start == std::string::npos || file.find("-----BEGIN ") != start) return false;
    const size_t body = start + begin.size();
    const size_t end = file.find(std::string("-----END ") + label + "-----", body);
    if (end == std::string::npos) return false;
    return DecodeBase64(file.substr(body, end - body), der);
}

}  // namespace crypto
