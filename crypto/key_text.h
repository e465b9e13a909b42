// Key files as the release tool writes them and openssl reads and writes
// them: PEM ("-----BEGIN <label>-----", base64, "-----END <label>-----"), or
// the same DER bytes without the armour.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace crypto {

constexpr char kPublicKeyLabel[] = "PUBLIC KEY";           // SubjectPublicKeyInfo
constexpr char kPrivateKeyLabel[] = "RSA PRIVATE KEY";     // PKCS #1 RSAPrivateKey

// The DER bytes of a key file: PEM with exactly this label, or DER as it is
// (a file that starts with an ASN.1 SEQUENCE). False for anything else.
bool DecodeKeyText(const std::string& file, const char* label, std::vector<uint8_t>& der);
// The PEM text of DER bytes: the armour lines and base64 in lines of 64
// characters, each line ended by CR LF.
std::string EncodeKeyText(const std::string& der, const char* label);

}  // namespace crypto
