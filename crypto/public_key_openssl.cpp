// RSA public keys and signature checks through OpenSSL (the release tool on
// Linux).
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include "crypto/public_key.h"

namespace crypto {
namespace {

std::vector<uint8_t> BigNumber(const EVP_PKEY* key, const char* name) {
    BIGNUM* number = nullptr;
    if (EVP_PKEY_get_bn_param(key, name, &number) != 1) return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(BN_num_bytes(number)));
    BN_bn2bin(number, bytes.data());
    BN_free(number);
    return bytes;
}

}  // namespace

struct PublicKey::Key {
    EVP_PKEY* handle = nullptr;
    ~Key() { EVP_PKEY_free(handle); }
    void Reset() {
        EVP_PKEY_free(handle);
        handle = nullptr;
    }
};

PublicKey::Key* PublicKey::NewKey() { return new Key; }
void PublicKey::KeyDeleter::operator()(Key* key) const { delete key; }

bool PublicKey::loaded() const { return key_->handle != nullptr; }

bool PublicKey::LoadDer(const std::string& der) {
    key_->Reset();
    if (der.empty()) return false;
    const unsigned char* next = reinterpret_cast<const unsigned char*>(der.data());
    EVP_PKEY* key = d2i_PUBKEY(nullptr, &next, static_cast<long>(der.size()));
    // The whole text is the key, as the platform's decoder on Windows takes it.
    if (!key || next != reinterpret_cast<const unsigned char*>(der.data()) + der.size() ||
        EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA) {
        EVP_PKEY_free(key);
        return false;
    }
    key_->handle = key;
    return true;
}

uint32_t PublicKey::Bits() const { return loaded() ? static_cast<uint32_t>(EVP_PKEY_get_bits(key_->handle)) : 0; }

std::vector<uint8_t> PublicKey::Exported() const {
    if (!loaded()) return {};
    const std::vector<uint8_t> modulus = BigNumber(key_->handle, OSSL_PKEY_PARAM_RSA_N);
    const std::vector<uint8_t> exponent = BigNumber(key_->handle, OSSL_PKEY_PARAM_RSA_E);
    if (modulus.empty() || exponent.empty()) return {};
    std::vector<uint8_t> exported{static_cast<uint8_t>(exponent.size())};
    exported.insert(exported.end(), exponent.begin(), exponent.end());
    exported.insert(exported.end(), modulus.begin(), modulus.end());
    return exported;
}

bool PublicKey::Verify(const std::string& message, const std::vector<uint8_t>& signature) const {
    if (!loaded() || signature.empty()) return false;
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const bool verified =
        context && EVP_DigestVerifyInit(context, nullptr, EVP_sha256(), nullptr, key_->handle) == 1 &&
        EVP_DigestVerify(context, signature.data(), signature.size(),
                         reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
    EVP_MD_CTX_free(context);
    return verified;
}

}  // namespace crypto
