#include "delta/strong_hash.h"

#include <algorithm>

namespace delta {

bool StrongHasher::Hash(const void* data, size_t size, StrongHash& strong) const {
    integrity::Sha256Digest digest;
    if (!hasher_.Digest(data, size, digest)) return false;
    std::copy(digest.begin(), digest.begin() + kStrongBytes, strong.begin());
    return true;
}

}  // namespace delta
