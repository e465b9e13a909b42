// Key pairs of the publisher (root keys and release keys alike): made here,
// kept by the operators, and used to sign. Files are PEM as openssl writes them: the private key
// as "RSA PRIVATE KEY" (PKCS #1), the public key as "PUBLIC KEY"
// (SubjectPublicKeyInfo). DER files of the same structures are read too.
// The platform's own library does the work: CryptoAPI on Windows
// (signing_key_cryptoapi.cpp), OpenSSL on Linux (signing_key_openssl.cpp).
// RSA PKCS #1 v1.5 signatures are deterministic: both give the same bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace release_list {

constexpr unsigned kKeyBits = 3072;

// Makes a new key pair and writes both files; refuses to overwrite a file.
// Throws ReleaseListError.
void MakeKeyPair(const std::string& privateKeyPath, const std::string& publicKeyPath);

class SigningKey {
public:
    // Reads the private key file. Throws ReleaseListError.
    explicit SigningKey(const std::string& privateKeyPath);
    ~SigningKey();
    SigningKey(const SigningKey&) = delete;
    SigningKey& operator=(const SigningKey&) = delete;
    // RSA PKCS #1 v1.5 signature of the SHA-256 of `message`, most
    // significant byte first (as openssl writes it). Throws ReleaseListError.
    std::vector<uint8_t> Sign(const std::string& message) const;
    // The matching public key as DER SubjectPublicKeyInfo, the bytes its key
    // id is taken from. Throws ReleaseListError.
    std::string PublicKeyDer() const;

private:
    struct Key;  // the platform's, defined with its implementation
    std::unique_ptr<Key> key_;
};

}  // namespace release_list
