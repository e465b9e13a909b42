// The line grammar every signed text of a release shares: ASCII lines ended
// by CR LF, "<keyword> <value>" with no control characters in the value,
// decimal numbers without sign or leading zeros, and the lines by which the
// root keys sign a decision.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crypto/sha256.h"

namespace integrity {

extern const char kLineEnd[];  // CR LF

// Splits the text into lines, each of which must end with CR LF; `starts`
// gets the offset of each line.
bool SplitLines(const std::string& text, std::vector<std::string>& lines, std::vector<size_t>& starts);
// "<keyword> <value>": the value (not empty), or false when the keyword differs.
bool TakeValue(const std::string& line, const char* keyword, std::string& value);
// Decimal digits without sign or leading zeros, at most 4294967295.
bool ParseUnsigned32(const std::string& text, uint32_t& value);
// Lower-case hex of 1 to `maxBytes` bytes.
bool TakeHex(const std::string& text, size_t maxBytes, std::vector<uint8_t>& bytes);

// The longest signature any line carries: an 8192-bit RSA key's.
constexpr size_t kMaxSignatureBytes = 1024;

// "root-signature <key id> <signature>": one root key's signature of the
// block above it. The key id is the SHA-256 of the key's DER
// SubjectPublicKeyInfo.
struct RootSignature {
    crypto::Sha256Digest keyId{};
    std::vector<uint8_t> signature;  // most significant byte first
};
std::string RootSignatureLine(const RootSignature& signature);
bool ParseRootSignatureLine(const std::string& line, RootSignature& signature);

}  // namespace integrity
