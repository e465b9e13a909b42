// Key pairs of the publisher (root keys and release keys alike): made here,
// kept by the operators, and used to sign. Files are PEM as openssl writes them: the private key
// as "RSA PRIVATE KEY" (PKCS #1), the public key as "PUBLIC KEY"
// (SubjectPublicKeyInfo). DER files of the same structures are read too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crypto/crypt_handles.h"

namespace release_list {

constexpr unsigned kKeyBits = 3072;

// Makes a new key pair and writes both files; refuses to overwrite a file.
// Throws ReleaseListError.
void MakeKeyPair(const std::string& privateKeyPath, const std::string& publicKeyPath);

class SigningKey {
public:
    // Reads the private key file. Throws ReleaseListError.
    explicit SigningKey(const std::string& privateKeyPath);
    // RSA PKCS #1 v1.5 signature of the SHA-256 of `message`, most
    // significant byte first (as openssl writes it). Throws ReleaseListError.
    std::vector<uint8_t> Sign(const std::string& message) const;
    // The matching public key as DER SubjectPublicKeyInfo, the bytes its key
    // id is taken from. Throws ReleaseListError.
    std::string PublicKeyDer() const;

private:
    crypto::UniqueCryptProvider provider_;
    crypto::UniqueCryptKey key_;
    DWORD keySpec_ = AT_SIGNATURE;
};

}  // namespace release_list
