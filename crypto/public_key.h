// The publisher's public key and the check of a signature made with its
// private key: RSA, PKCS #1 v1.5 padding, SHA-256, from the platform's own
// library (public_key_cryptoapi.cpp on Windows, public_key_openssl.cpp
// elsewhere).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace crypto {

class PublicKey {
public:
    PublicKey();
    ~PublicKey();
    PublicKey(PublicKey&& other) noexcept;
    PublicKey& operator=(PublicKey&& other) noexcept;

    // From a public key file's bytes (see key_text.h). False when it holds no
    // usable RSA public key.
    bool Load(const std::string& file);
    // From the DER SubjectPublicKeyInfo itself.
    bool LoadDer(const std::string& der);
    bool loaded() const;
    uint32_t Bits() const;
    // The key's modulus and exponent in the platform's form: equal for the
    // same key however its file encoded it (compare them within one run
    // only). Empty when none is loaded.
    std::vector<uint8_t> Exported() const;
    // `signature` in the byte order OpenSSL writes (most significant byte
    // first). False for a wrong signature, and when no key is loaded.
    bool Verify(const std::string& message, const std::vector<uint8_t>& signature) const;

private:
    struct Key;  // the platform's, defined with its implementation
    struct KeyDeleter {
        void operator()(Key* key) const;
    };
    static Key* NewKey();
    std::unique_ptr<Key, KeyDeleter> key_;
};

}  // namespace crypto
