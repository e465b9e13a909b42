// SHA-256 through OpenSSL's EVP interface (the release tool on Linux).
#include <openssl/evp.h>

#include "crypto/sha256.h"

namespace crypto {

struct Sha256Hasher::Provider {};  // OpenSSL needs none

struct Sha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256Hasher::Sha256Hasher() : provider_(new Provider) {}
Sha256Hasher::~Sha256Hasher() = default;
bool Sha256Hasher::ok() const { return true; }

bool Sha256Hasher::Digest(const void* data, size_t size, Sha256Digest& digest) const {
    unsigned int length = 0;
    return EVP_Digest(data, size, digest.data(), &length, EVP_sha256(), nullptr) == 1 && length == digest.size();
}

Sha256::Sha256() : state_(new State) {
    if (state_->context && EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr) != 1) failed_ = true;
}

Sha256::Sha256(const Sha256Hasher&) : Sha256() {}

Sha256::~Sha256() = default;

bool Sha256::ok() const { return state_->context != nullptr; }

bool Sha256::Update(const void* data, size_t size) {
    if (ok() && !failed_ && size > 0) failed_ = EVP_DigestUpdate(state_->context, data, size) != 1;
    return ok() && !failed_;
}

bool Sha256::Finish(Sha256Digest& digest) {
    unsigned int length = 0;
    return ok() && !failed_ && EVP_DigestFinal_ex(state_->context, digest.data(), &length) == 1 &&
           length == digest.size();
}

}  // namespace crypto
