// Finds the blocks of a new file (as its index describes them) in the old
// copy on disk, at any offset: the weak checksum rolls over the old file one
// byte at a time, and a weak hit counts only when the block's strong hash
// agrees. Inserted or removed bytes therefore cost only the blocks they
// touch. After a match the window jumps a whole block, so an unchanged
// stretch is confirmed block after block without rolling. Memory: the index,
// a table of it and one read window; never the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "release/block_index.h"

namespace delta {

constexpr int64_t kNotFound = -1;

struct BlockMatch {
    std::vector<int64_t> source;  // per block: its offset in the old file, or kNotFound
    uint64_t strongHashes = 0;    // windows hashed to confirm a weak hit
    uint64_t weakOnlyHits = 0;    // of those, the ones the strong hash refused
};

// False when the old file cannot be read or hashing fails.
bool MatchBlocks(const release::BlockIndex& index, const std::string& oldPath, BlockMatch& match);

}  // namespace delta
