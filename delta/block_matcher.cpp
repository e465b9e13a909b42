#include "delta/block_matcher.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "base/file_system.h"
#include "delta/old_file_window.h"
#include "release/rolling_checksum.h"
#include "release/strong_hash.h"

namespace delta {
namespace {

// The whole blocks of the index by weak checksum, with a bit filter in
// front: almost every offset of a changed stretch is turned away by one bit
// test, without a search. Blocks of one weak checksum form a group that
// counts its blocks not yet found, so that a stretch of the old file full of
// an often repeated block (zeros, say) costs one search per offset, not one
// per repetition.
class WeakTable {
public:
    using Entry = std::pair<uint32_t, uint32_t>;  // weak, block
    struct Group {
        size_t begin = 0, end = 0;  // in entries()
    };

    // The whole blocks not found yet.
    WeakTable(const release::BlockIndex& index, size_t wholeBlocks, const BlockMatch& match)
        : filter_(kFilterBits / 64, 0) {
        entries_.reserve(wholeBlocks);
        for (size_t i = 0; i < wholeBlocks; ++i) {
            if (match.source[i] != kNotFound) continue;
            entries_.emplace_back(index.blocks[i].weak, static_cast<uint32_t>(i));
            const uint32_t slot = Slot(index.blocks[i].weak);
            filter_[slot / 64] |= uint64_t(1) << (slot % 64);
        }
        std::sort(entries_.begin(), entries_.end());
        unfound_.assign(entries_.size(), 0);
        for (size_t i = 0, begin = 0; i < entries_.size(); ++i) {
            if (entries_[i].first != entries_[begin].first) begin = i;
            ++unfound_[begin];
        }
    }
    bool MayHold(uint32_t weak) const {
        const uint32_t slot = Slot(weak);
        return (filter_[slot / 64] >> (slot % 64)) & 1;
    }
    // The blocks with this weak checksum.
    Group Find(uint32_t weak) const {
        const auto range = std::equal_range(entries_.begin(), entries_.end(), Entry(weak, 0),
                                            [](const Entry& x, const Entry& y) { return x.first < y.first; });
        return {static_cast<size_t>(range.first - entries_.begin()), static_cast<size_t>(range.second - entries_.begin())};
    }
    const Entry& operator[](size_t i) const { return entries_[i]; }
    bool AllFound(const Group& group) const { return group.begin == group.end || unfound_[group.begin] == 0; }
    void CountFound(const Group& group) { --unfound_[group.begin]; }

private:
    static constexpr uint32_t kFilterBits = 1u << 20;
    static uint32_t Slot(uint32_t weak) { return (weak * 2654435761u) >> 12; }

    std::vector<Entry> entries_;
    std::vector<uint32_t> unfound_;  // at the first entry of each group
    std::vector<uint64_t> filter_;
};

size_t WholeBlocks(const release::BlockIndex& index) {
    return index.fileSize % index.blockSize ? index.blocks.size() - 1 : index.blocks.size();
}

// The stripes a file's search is cut into when it runs on two threads.
constexpr uint64_t kStripe = 8ull * 1024 * 1024;

// Searches the windows of a file for the blocks the match lacks: all of
// them (one lane), or those that start in every other stripe (lane 0 or 1 of
// two). Lane 0 also looks for a short last block.
class Matcher {
public:
    Matcher(const release::BlockIndex& index, const std::string& path, uint32_t file, AfterMatch after, int lane,
            int lanes, BlockMatch& match)
        : index_(index),
          file_(file),
          after_(after),
          lane_(lane),
          lanes_(lanes),
          blockSize_(index.blockSize),
          wholeBlocks_(WholeBlocks(index)),
          table_(index, wholeBlocks_, match),
          window_(path, index.blockSize + 1),
          match_(match) {}

    bool Run() {
        if (!window_.ok() || !hasher_.ok()) return false;
        if (lanes_ == 1) {
            if (!ScanWholeBlocks(0, UINT64_MAX)) return false;
        } else {
            // Each lane reads its stripes and the one block past each that
            // the windows starting at its end reach into: every byte of the
            // file once, but for those blocks.
            for (uint64_t begin = lane_ * kStripe; begin < window_.size(); begin += lanes_ * kStripe) {
                window_.LimitReads(begin + kStripe + blockSize_);
                if (!ScanWholeBlocks(begin, begin + kStripe)) return false;
            }
            window_.LimitReads(UINT64_MAX);
        }
        return lane_ > 0 || MatchShortTail();
    }

private:
    bool ScanWholeBlocks(uint64_t begin, uint64_t end) {
        const uint64_t oldSize = window_.size();
        if (wholeBlocks_ == 0 || oldSize < blockSize_) return true;
        release::RollingChecksum sum;
        bool summed = false;
        for (uint64_t position = begin; position < end && position + blockSize_ <= oldSize;) {
            const bool hasNext = position + blockSize_ < oldSize;
            const size_t span = blockSize_ + (hasNext ? 1 : 0);
            // Most offsets lie in what the window holds already: no call for them.
            const uint8_t* window = window_.Holds(position, span) ? window_.At(position) : window_.Span(position, span);
            if (!window) return false;
            if (!summed) {
                sum.Reset(window, blockSize_);
                summed = true;
            }
            bool matched = false;
            if (table_.MayHold(sum.Value()) && !TryWholeBlock(position, window, sum.Value(), matched)) return false;
            if (matched && after_ == AfterMatch::kSkipTheBlock) {
                // The next block of an unchanged stretch lies right behind this one.
                position += blockSize_;
                summed = false;
                continue;
            }
            if (!hasNext) break;
            sum.Roll(window[0], window[blockSize_]);
            ++position;
        }
        return true;
    }

    // Every block with this weak checksum that is still missing and whose
    // strong hash equals the window's is found here (a file may hold one
    // block's bytes several times).
    bool TryWholeBlock(uint64_t position, const uint8_t* window, uint32_t weak, bool& matched) {
        const WeakTable::Group group = table_.Find(weak);
        if (table_.AllFound(group)) return true;
        bool hashed = false;
        release::StrongHash strong;
        for (size_t at = group.begin; at != group.end; ++at) {
            const uint32_t block = table_[at].second;
            if (match_.source[block] != kNotFound) continue;
            if (!hashed) {
                if (!hasher_.Hash(window, blockSize_, strong)) return false;
                hashed = true;
                ++match_.strongHashes;
            }
            if (strong != index_.blocks[block].strong) continue;
            match_.source[block] = static_cast<int64_t>(position);
            match_.file[block] = file_;
            table_.CountFound(group);
            matched = true;
        }
        if (hashed && !matched) ++match_.weakOnlyHits;
        return true;
    }

    // A short last block can only be the end of something: it is looked for
    // at the end of the old file and at its own offset.
    bool MatchShortTail() {
        const size_t last = index_.blocks.size() - 1;
        if (wholeBlocks_ == index_.blocks.size() || match_.source[last] != kNotFound) return true;
        const uint32_t length = index_.BlockLength(last);
        const uint64_t oldSize = window_.size();
        const uint64_t places[2] = {oldSize >= length ? oldSize - length : oldSize, index_.BlockOffset(last)};
        for (uint64_t place : places) {
            if (place + length > oldSize) continue;
            const uint8_t* bytes = window_.Span(place, length);
            if (!bytes) return false;
            if (release::WeakChecksum(bytes, length) != index_.blocks[last].weak) continue;
            release::StrongHash strong;
            if (!hasher_.Hash(bytes, length, strong)) return false;
            ++match_.strongHashes;
            if (strong == index_.blocks[last].strong) {
                match_.source[last] = static_cast<int64_t>(place);
                match_.file[last] = file_;
                return true;
            }
            ++match_.weakOnlyHits;
        }
        return true;
    }

    const release::BlockIndex& index_;
    const uint32_t file_;
    const AfterMatch after_;
    const int lane_, lanes_;
    const uint64_t blockSize_;
    const size_t wholeBlocks_;
    WeakTable table_;
    OldFileWindow window_;
    const release::StrongHasher hasher_;
    BlockMatch& match_;
};

// From this size of old file on, it is searched on two threads, stripe by
// stripe in turn: confirming blocks by SHA-256 is most of the work, and it
// splits evenly even when all the matching bytes lie in one half of the file
// (one half of an archive split in two, say).
constexpr uint64_t kSplitFrom = 64ull * 1024 * 1024;

bool SplitsTheSearch(uint64_t oldSize) { return oldSize >= kSplitFrom && std::thread::hardware_concurrency() > 1; }

// Both lanes' finds; where both found a block, the first lane's place.
void Merge(BlockMatch& match, const BlockMatch& second) {
    for (size_t block = 0; block < match.source.size(); ++block)
        if (match.source[block] == kNotFound) {
            match.source[block] = second.source[block];
            match.file[block] = second.file[block];
        }
    match.strongHashes += second.strongHashes;
    match.weakOnlyHits += second.weakOnlyHits;
}

bool AllFound(const BlockMatch& match) {
    return std::find(match.source.begin(), match.source.end(), kNotFound) == match.source.end();
}

bool Search(const release::BlockIndex& index, const std::string& path, uint32_t file, AfterMatch after,
            BlockMatch& match) {
    const uint64_t size = base::FileSizeOf(path);
    if (!SplitsTheSearch(size)) return Matcher(index, path, file, after, 0, 1, match).Run();
    BlockMatch second = match;
    second.strongHashes = second.weakOnlyHits = 0;
    bool secondFound = false;
    std::thread worker([&] { secondFound = Matcher(index, path, file, after, 1, 2, second).Run(); });
    const bool found = Matcher(index, path, file, after, 0, 2, match).Run();
    worker.join();
    Merge(match, second);
    return found && secondFound;
}

// A file that broke off gives nothing: its blocks are looked for elsewhere
// or fetched.
void Drop(uint32_t file, BlockMatch& match) {
    for (size_t block = 0; block < match.source.size(); ++block)
        if (match.source[block] != kNotFound && match.file[block] == file) match.source[block] = kNotFound;
}

}  // namespace

void StartMatch(const release::BlockIndex& index, BlockMatch& match) {
    match.source.assign(index.blocks.size(), kNotFound);
    match.file.assign(index.blocks.size(), 0);
    match.strongHashes = match.weakOnlyHits = 0;
}

bool SearchFile(const release::BlockIndex& index, const std::string& path, uint32_t file, BlockMatch& match,
                AfterMatch after) {
    if (index.blocks.empty() || index.blockSize == 0 || match.source.size() != index.blocks.size()) return false;
    if (AllFound(match)) return true;
    if (Search(index, path, file, after, match)) return true;
    Drop(file, match);
    return false;
}

bool MatchBlocks(const release::BlockIndex& index, const std::string& oldPath, BlockMatch& match, AfterMatch after) {
    StartMatch(index, match);
    return SearchFile(index, oldPath, 0, match, after);
}

bool MatchBlocksInPlace(const release::BlockIndex& index, const std::string& oldPath, BlockMatch& match) {
    StartMatch(index, match);
    if (index.blocks.empty() || index.blockSize == 0) return false;
    OldFileWindow window(oldPath, index.blockSize);
    if (!window.ok()) return false;
    for (size_t block = 0; block < index.blocks.size(); ++block) {
        const uint64_t offset = index.BlockOffset(block);
        const uint32_t length = index.BlockLength(block);
        if (offset + length > window.size()) break;  // cut short: the rest is fetched
        const uint8_t* bytes = window.Span(offset, length);
        if (!bytes) return false;
        if (release::WeakChecksum(bytes, length) == index.blocks[block].weak)
            match.source[block] = static_cast<int64_t>(offset);
    }
    return true;
}

double FoundShare(const BlockMatch& match) {
    if (match.source.empty()) return 0.0;
    size_t found = 0;
    for (int64_t source : match.source) found += source != kNotFound;
    return static_cast<double>(found) / match.source.size();
}

}  // namespace delta
