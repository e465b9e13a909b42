// The publisher's public key and the check of a signature made with its
// private key: RSA, PKCS #1 v1.5 padding, SHA-256.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crypto/crypt_handles.h"

namespace crypto {

class PublicKey {
public:
    // From a public key file's bytes (see key_text.h). False when it holds no
    // usable RSA public key.
    bool Load(const std::string& file);
    // From the DER SubjectPublicKeyInfo itself.
    bool LoadDer(const std::string& der);
    bool loaded() const { return key_.valid(); }
    DWORD Bits() const;
    // The key's modulus and exponent as the platform exports them: equal for
    // the same key however its file encoded it. Empty when none is loaded.
    std::vector<uint8_t> Exported() const;
    // `signature` in the byte order OpenSSL writes (most significant byte
    // first). False for a wrong signature, and when no key is loaded.
    bool Verify(const std::string& message, const std::vector<uint8_t>& signature) const;

private:
    UniqueCryptKey key_;  // in SharedProvider()
};

}  // namespace crypto
