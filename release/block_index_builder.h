// A block index of bytes another reader hands over in order (the release
// tool's one read of a file), the same as BuildIndex gives for the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "release/block_index.h"
#include "release/strong_hash.h"

namespace release {

class BlockIndexBuilder {
public:
    // The block size must be usable (IsUsableBlockSize).
    BlockIndexBuilder(uint32_t blockSize, BlockIndex& index);
    // Pieces of any length; a block split between two is joined first.
    // False when hashing failed.
    bool Feed(const uint8_t* data, size_t length);
    // The last, short block; false for an empty file or when hashing failed.
    bool Finish();

private:
    bool AddBlock(const uint8_t* data, size_t length);

    const uint32_t blockSize_;
    BlockIndex& index_;
    const StrongHasher hasher_;
    std::vector<uint8_t> carry_;  // the start of a block the next piece completes
};

}  // namespace release
