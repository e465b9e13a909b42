// Finds the blocks of a new file (as its index describes them) in the old
// copy on disk, at any offset: the weak checksum rolls over the old file one
// byte at a time, and a weak hit counts only when the block's strong hash
// agrees. Inserted or removed bytes therefore cost only the blocks they
// touch. After a match the window jumps a whole block, so an unchanged
// stretch is confirmed block after block without rolling. Memory: the index,
// a table of it and one read window; never the file.
//
// Several files can be searched in turn (an old copy, then the files of the
// previous release that hold some of the blocks): each is searched only for
// the blocks the files before it did not hold, and once every block is found
// the rest are not read at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "release/block_index.h"

namespace delta {

constexpr int64_t kNotFound = -1;

struct BlockMatch {
    std::vector<int64_t> source;  // per block: its offset in the file that holds it, or kNotFound
    std::vector<uint32_t> file;   // per block found: the number its file was searched under
    uint64_t strongHashes = 0;    // windows hashed to confirm a weak hit
    uint64_t weakOnlyHits = 0;    // of those, the ones the strong hash refused
};

// How a search goes on after a match: over the block just found (the
// updater's search for one file, where an unchanged stretch is confirmed
// block after block), or at the next offset, so that blocks of several files
// that overlap in the searched file are all found (the release tool's search
// for the blocks of a whole release).
enum class AfterMatch { kSkipTheBlock, kNextOffset };

// A match of the index with no block found yet.
void StartMatch(const release::BlockIndex& index, BlockMatch& match);
// Searches the file at `path` for the blocks not found yet; those it holds
// are recorded as in file number `file`. False when it cannot be read to its
// end (what it gave is dropped again) or hashing fails; true at once, with
// nothing read, when no block is missing.
bool SearchFile(const release::BlockIndex& index, const std::string& path, uint32_t file, BlockMatch& match,
                AfterMatch after = AfterMatch::kSkipTheBlock);
// StartMatch, then SearchFile of the old copy as file 0.
bool MatchBlocks(const release::BlockIndex& index, const std::string& oldPath, BlockMatch& match,
                 AfterMatch after = AfterMatch::kSkipTheBlock);

// For an old copy that is the new file itself with damaged stretches (a
// repair): each block is taken where it belongs when the bytes there have
// its weak checksum, with no strong hash and no search elsewhere. Only for
// a caller whose assembled file is checked whole against a signed digest
// afterwards: a weak hit is no proof. The blocks are file 0. False when the
// old file cannot be read.
bool MatchBlocksInPlace(const release::BlockIndex& index, const std::string& oldPath, BlockMatch& match);
// The share of the index's blocks the match found, 0 to 1.
double FoundShare(const BlockMatch& match);

}  // namespace delta
