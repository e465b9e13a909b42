// SHA-256 through CryptoAPI's AES provider (XP SP3 and later).
#include "crypto/sha256.h"

#include "crypto/crypt_handles.h"

namespace crypto {
namespace {

// CryptHashData takes a 32-bit count.
constexpr size_t kLargestUpdate = 0x40000000;

}  // namespace

struct Sha256Hasher::Provider {
    UniqueCryptProvider handle = AcquireProvider();
};

struct Sha256::State {
    UniqueCryptProvider own;  // when no hasher lends one
    UniqueCryptHash hash;
};

Sha256Hasher::Sha256Hasher() : provider_(new Provider) {}
Sha256Hasher::~Sha256Hasher() = default;
bool Sha256Hasher::ok() const { return provider_->handle.valid(); }

bool Sha256Hasher::Digest(const void* data, size_t size, Sha256Digest& digest) const {
    UniqueCryptHash hash;
    DWORD length = static_cast<DWORD>(digest.size());
    return ok() && size < kLargestUpdate &&
           ::CryptCreateHash(provider_->handle.get(), CALG_SHA_256, 0, 0, hash.put()) &&
           ::CryptHashData(hash.get(), static_cast<const BYTE*>(data), static_cast<DWORD>(size), 0) &&
           ::CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &length, 0) && length == digest.size();
}

Sha256::Sha256() : state_(new State) {
    state_->own = AcquireProvider();
    if (state_->own && !::CryptCreateHash(state_->own.get(), CALG_SHA_256, 0, 0, state_->hash.put()))
        state_->hash.release();
}

Sha256::Sha256(const Sha256Hasher& on) : state_(new State) {
    const HCRYPTPROV provider = on.ok() ? on.provider()->handle.get() : 0;
    if (provider && !::CryptCreateHash(provider, CALG_SHA_256, 0, 0, state_->hash.put())) state_->hash.release();
}

Sha256::~Sha256() = default;

bool Sha256::ok() const { return state_->hash.valid(); }

bool Sha256::Update(const void* data, size_t size) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    while (ok() && !failed_ && size > 0) {
        const DWORD part = static_cast<DWORD>(size < kLargestUpdate ? size : kLargestUpdate);
        failed_ = !::CryptHashData(state_->hash.get(), bytes, part, 0);
        bytes += part;
        size -= part;
    }
    return ok() && !failed_;
}

bool Sha256::Finish(Sha256Digest& digest) {
    DWORD length = static_cast<DWORD>(digest.size());
    return ok() && !failed_ && ::CryptGetHashParam(state_->hash.get(), HP_HASHVAL, digest.data(), &length, 0) &&
           length == digest.size();
}

}  // namespace crypto
