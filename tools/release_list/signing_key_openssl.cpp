// Key pairs and signatures through OpenSSL (the release tool on Linux).
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include "crypto/key_text.h"
#include "tools/release_list/key_files.h"
#include "tools/release_list/release_error.h"
#include "tools/release_list/signing_key.h"

namespace release_list {
namespace {

ReleaseListError CryptError(const std::string& what) { return ReleaseListError(what + " (OpenSSL refused it)"); }

using DerEncoder = int (*)(const EVP_PKEY*, unsigned char**);

std::string Der(DerEncoder encode, const EVP_PKEY* key, const char* what) {
    unsigned char* der = nullptr;
    const int length = encode(key, &der);
    if (length <= 0) throw CryptError(std::string("cannot write the ") + what);
    std::string bytes(reinterpret_cast<const char*>(der), static_cast<size_t>(length));
    OPENSSL_free(der);
    return bytes;
}

// PKCS #1 RSAPrivateKey: OpenSSL's type-specific form of an RSA key.
std::string PrivateKeyDer(const EVP_PKEY* key) { return Der(i2d_PrivateKey, key, "private key"); }
std::string PublicKeyInfoDer(const EVP_PKEY* key) { return Der(i2d_PUBKEY, key, "public key"); }

struct OwnedKey {
    OwnedKey() = default;
    OwnedKey(const OwnedKey&) = delete;
    OwnedKey& operator=(const OwnedKey&) = delete;
    ~OwnedKey() { EVP_PKEY_free(handle); }
    EVP_PKEY* handle = nullptr;
};

}  // namespace

struct SigningKey::Key : OwnedKey {};

void MakeKeyPair(const std::string& privateKeyPath, const std::string& publicKeyPath) {
    RefuseExistingKeyFiles(privateKeyPath, publicKeyPath);
    OwnedKey key;
    key.handle = EVP_RSA_gen(kKeyBits);
    if (!key.handle) throw CryptError("cannot make a key pair");
    const std::string privatePem = crypto::EncodeKeyText(PrivateKeyDer(key.handle), crypto::kPrivateKeyLabel);
    const std::string publicPem = crypto::EncodeKeyText(PublicKeyInfoDer(key.handle), crypto::kPublicKeyLabel);
    WriteKeyPairFiles(privateKeyPath, privatePem, publicKeyPath, publicPem);
}

SigningKey::~SigningKey() = default;

SigningKey::SigningKey(const std::string& privateKeyPath) : key_(new Key) {
    const std::vector<uint8_t> der = ReadPrivateKeyDer(privateKeyPath);
    const unsigned char* next = der.data();
    key_->handle = d2i_PrivateKey(EVP_PKEY_RSA, nullptr, &next, static_cast<long>(der.size()));
    if (!key_->handle) throw CryptError("the key file " + privateKeyPath + " cannot be read as an RSA private key");
}

std::string SigningKey::PublicKeyDer() const { return PublicKeyInfoDer(key_->handle); }

std::vector<uint8_t> SigningKey::Sign(const std::string& message) const {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    size_t size = 0;
    std::vector<uint8_t> signature;
    bool signed_ = context && EVP_DigestSignInit(context, nullptr, EVP_sha256(), nullptr, key_->handle) == 1 &&
                   EVP_DigestSign(context, nullptr, &size, reinterpret_cast<const unsigned char*>(message.data()),
                                  message.size()) == 1;
    if (signed_) {
        signature.resize(size);
        signed_ = EVP_DigestSign(context, signature.data(), &size,
                                 reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
        signature.resize(size);
    }
    EVP_MD_CTX_free(context);
    if (!signed_) throw CryptError("cannot sign the release");
    return signature;
}

}  // namespace release_list
