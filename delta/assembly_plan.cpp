#include "delta/assembly_plan.h"

#include <algorithm>

namespace delta {
namespace {

// Joins a piece to the one before when both are fetched, or both are copied
// from one contiguous stretch of one file.
void Append(std::vector<Piece>& pieces, const Piece& piece) {
    if (!pieces.empty()) {
        Piece& back = pieces.back();
        const bool joins = back.fetched() ? piece.fetched()
                                          : !piece.fetched() && back.file == piece.file &&
                                                back.source + static_cast<int64_t>(back.length) == piece.source;
        if (joins) {
            back.length += piece.length;
            return;
        }
    }
    pieces.push_back(piece);
}

std::vector<Piece> BlockPieces(const release::BlockIndex& index, const BlockMatch& match) {
    std::vector<Piece> pieces;
    for (size_t block = 0; block < index.blocks.size(); ++block)
        Append(pieces, {index.BlockOffset(block), index.BlockLength(block), match.source[block], match.file[block]});
    return pieces;
}

size_t CountFetched(const std::vector<Piece>& pieces) {
    return static_cast<size_t>(std::count_if(pieces.begin(), pieces.end(), [](const Piece& p) { return p.fetched(); }));
}

// Turns the shortest runs of copied pieces that lie between two fetched
// pieces into fetched bytes until at most `maxRanges` fetched pieces remain.
std::vector<Piece> BoundRanges(std::vector<Piece> pieces, size_t maxRanges) {
    size_t ranges = CountFetched(pieces);
    if (ranges <= maxRanges || maxRanges == 0) return pieces;
    struct Gap {
        uint64_t bytes;
        size_t first, last;  // the copied pieces between two fetched ones
    };
    std::vector<Gap> gaps;
    size_t lastFetched = pieces.size();
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (!pieces[i].fetched()) continue;
        if (lastFetched < pieces.size() && lastFetched + 1 < i) {
            uint64_t bytes = 0;
            for (size_t j = lastFetched + 1; j < i; ++j) bytes += pieces[j].length;
            gaps.push_back({bytes, lastFetched + 1, i - 1});
        }
        lastFetched = i;
    }
    std::sort(gaps.begin(), gaps.end(), [](const Gap& x, const Gap& y) { return x.bytes < y.bytes; });
    for (const Gap& gap : gaps) {
        if (ranges <= maxRanges) break;
        for (size_t j = gap.first; j <= gap.last; ++j) pieces[j].source = kNotFound;
        --ranges;
    }
    std::vector<Piece> joined;
    for (const Piece& piece : pieces) Append(joined, piece);
    return joined;
}

}  // namespace

AssemblyPlan PlanAssembly(const release::BlockIndex& index, const BlockMatch& match, size_t maxRanges) {
    AssemblyPlan plan;
    plan.pieces = BoundRanges(BlockPieces(index, match), maxRanges);
    for (const Piece& piece : plan.pieces) {
        (piece.fetched() ? plan.fetchBytes : plan.reusedBytes) += piece.length;
        if (piece.fetched()) ++plan.ranges;
    }
    return plan;
}

}  // namespace delta
