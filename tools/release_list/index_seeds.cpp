#include "tools/release_list/index_seeds.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "base/ansi_text.h"
#include "base/file_system.h"
#include "delta/block_matcher.h"
#include "release/file_identity.h"
#include "release/list_file.h"
#include "release/staging_layout.h"
#include "tools/release_list/release_error.h"

namespace release_list {
namespace {

// A seed is read whole by every updater that uses it, so it has to give at
// least this share of its size in bytes that would otherwise be fetched.
constexpr uint64_t kLeastGainShare = 64;

// The whole blocks of every index in one: where each index's blocks begin in
// it. A short last block is left out: it can only be a file's end.
struct AllBlocks {
    release::BlockIndex index;
    std::vector<size_t> first;  // per index, its first block in `index`
    std::vector<size_t> count;
};

AllBlocks JoinBlocks(const std::vector<SeededIndex>& indexes) {
    AllBlocks all;
    all.index.blockSize = indexes.front().index->blockSize;
    for (const SeededIndex& seeded : indexes) {
        const release::BlockIndex& index = *seeded.index;
        if (index.blockSize != all.index.blockSize) throw ReleaseListError("internal error: indexes of two block sizes");
        const size_t whole = static_cast<size_t>(index.fileSize / index.blockSize);
        all.first.push_back(all.index.blocks.size());
        all.count.push_back(whole);
        all.index.blocks.insert(all.index.blocks.end(), index.blocks.begin(), index.blocks.begin() + whole);
    }
    all.index.fileSize = static_cast<uint64_t>(all.index.blocks.size()) * all.index.blockSize;
    return all;
}

// Per previous file, per index: which of the index's blocks the file holds;
// empty when it holds none.
using Holdings = std::vector<std::vector<std::vector<bool>>>;

Holdings SearchPrevious(const std::vector<PreviousFile>& previous, const AllBlocks& all) {
    Holdings held(previous.size());
    for (size_t file = 0; file < previous.size(); ++file) {
        held[file].resize(all.first.size());
        if (previous[file].size < all.index.blockSize) continue;
        delta::BlockMatch match;
        // Every offset: one file's blocks must not hide another's that overlap them.
        if (!delta::MatchBlocks(all.index, previous[file].path, match, delta::AfterMatch::kNextOffset))
            throw ReleaseListError("the previous release's file " + previous[file].path + " could not be read");
        // Kept only where the file holds something: most files share nothing with most others.
        for (size_t index = 0; index < all.first.size(); ++index) {
            const auto begin = match.source.begin() + static_cast<std::ptrdiff_t>(all.first[index]);
            const auto end = begin + static_cast<std::ptrdiff_t>(all.count[index]);
            if (std::all_of(begin, end, [](int64_t source) { return source == delta::kNotFound; })) continue;
            std::vector<bool>& blocks = held[file][index];
            blocks.resize(all.count[index]);
            for (auto at = begin; at != end; ++at) blocks[static_cast<size_t>(at - begin)] = *at != delta::kNotFound;
        }
    }
    return held;
}

size_t Gain(const std::vector<bool>& holds, const std::vector<bool>& covered) {
    size_t gain = 0;
    for (size_t block = 0; block < holds.size(); ++block) gain += holds[block] && !covered[block];
    return gain;
}

void Cover(const std::vector<bool>& holds, std::vector<bool>& covered) {
    for (size_t block = 0; block < holds.size(); ++block)
        if (holds[block]) covered[block] = true;
}

// Greedy: of the files worth their reading, the one that adds the most
// blocks, again and again.
void ChooseSeeds(const std::vector<PreviousFile>& previous, const Holdings& held, size_t index,
                 const SeededIndex& seeded, size_t blocks) {
    std::vector<bool> covered(blocks, false);
    std::vector<bool> usable(previous.size(), true);
    for (size_t file = 0; file < previous.size(); ++file) {
        if (held[file][index].empty()) {
            usable[file] = false;
        } else if (base::EqualsNoCase(previous[file].installedAs, seeded.installedAs)) {
            Cover(held[file][index], covered);  // the old copy, searched anyway
            usable[file] = false;
        }
    }
    std::vector<std::string>& seeds = seeded.index->seeds;
    seeds.clear();
    while (seeds.size() < release::kMaxSeeds) {
        size_t best = previous.size(), bestGain = 0;
        for (size_t file = 0; file < previous.size(); ++file) {
            if (!usable[file]) continue;
            const size_t gain = Gain(held[file][index], covered);
            const uint64_t gainBytes = static_cast<uint64_t>(gain) * seeded.index->blockSize;
            if (gain > bestGain && gainBytes * kLeastGainShare >= previous[file].size)
                best = file, bestGain = gain;
        }
        if (best == previous.size()) return;
        seeds.push_back(previous[best].installedAs);
        Cover(held[best][index], covered);
        usable[best] = false;
    }
}

}  // namespace

std::vector<PreviousFile> ReadPreviousRelease(const std::string& folder) {
    const std::string listPath = base::JoinPath(folder, release::kListFileName);
    if (release::GetFileSize64(listPath) == 0)
        throw ReleaseListError("--previous " + folder + " holds no " + release::kListFileName +
                               ": name the version folder of a published release");
    std::vector<PreviousFile> files;
    for (const release::ListedEntry& listed : release::ReadListFile(listPath)) {
        const release::ListEntry& entry = listed.entry;
        const std::string installedAs = base::ReplaceAll(entry.localPath, "\\", "/");
        // What an updater would refuse as a seed is never named.
        if (entry.isSystemPath || !release::StaysInItsFolder(entry) || installedAs.size() > release::kMaxSeedNameBytes)
            continue;
        const std::string path = base::JoinPath(folder, entry.remoteName);
        files.push_back({path, installedAs, release::GetFileSize64(path)});
    }
    return files;
}

void NameSeeds(const std::vector<PreviousFile>& previous, const std::vector<SeededIndex>& indexes) {
    if (indexes.empty() || previous.empty()) return;
    const AllBlocks all = JoinBlocks(indexes);
    if (all.index.blocks.empty()) return;
    const Holdings held = SearchPrevious(previous, all);
    for (size_t index = 0; index < indexes.size(); ++index) ChooseSeeds(previous, held, index, indexes[index], all.count[index]);
}

}  // namespace release_list
