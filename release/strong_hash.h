// The strong hash of a block as the index keeps it: SHA-256 from the
// platform's provider, cut to its first 16 bytes.
#pragma once

#include <cstddef>

#include "release/block_index.h"
#include "crypto/sha256.h"

namespace release {

class StrongHasher {
public:
    bool ok() const { return hasher_.ok(); }
    bool Hash(const void* data, size_t size, StrongHash& strong) const;

private:
    crypto::Sha256Hasher hasher_;
};

}  // namespace release
