#include "release/strong_hash.h"

#include <algorithm>

namespace release {

bool StrongHasher::Hash(const void* data, size_t size, StrongHash& strong) const {
    crypto::Sha256Digest digest;
    if (!hasher_.Digest(data, size, digest)) return false;
    std::copy(digest.begin(), digest.begin() + kStrongBytes, strong.begin());
    return true;
}

}  // namespace release
