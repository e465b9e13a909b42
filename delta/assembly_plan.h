// How the staged file is put together once the blocks are matched: pieces
// in the new file's order, each copied from a searched file or fetched with
// one ranged request. Neighbouring blocks of one kind become one piece, and
// when a file would need more requests than allowed, the shortest stretches
// of reusable bytes between two fetched pieces are fetched too, until it
// does not.
#pragma once

#include <cstdint>
#include <vector>

#include "release/block_index.h"
#include "delta/block_matcher.h"

namespace delta {

constexpr size_t kMaxRangesPerFile = 64;

struct Piece {
    uint64_t offset = 0;  // in the new file
    uint64_t length = 0;
    int64_t source = kNotFound;  // offset in the file it is copied from; kNotFound: fetched
    uint32_t file = 0;           // the searched file it is copied from (BlockMatch::file)
    bool fetched() const { return source == kNotFound; }
};

struct AssemblyPlan {
    std::vector<Piece> pieces;  // covering the new file from 0 to its end, in order
    uint64_t fetchBytes = 0;
    uint64_t reusedBytes = 0;
    size_t ranges = 0;  // fetched pieces = ranged requests
};

AssemblyPlan PlanAssembly(const release::BlockIndex& index, const BlockMatch& match, size_t maxRanges = kMaxRangesPerFile);

}  // namespace delta
