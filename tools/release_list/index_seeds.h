// Seeds: for each new file with a block index, the files of the previous
// release that hold some of its blocks, named in its index so that an
// updater takes those blocks from the installed copies when a file was
// moved, renamed, split or merged. The search runs here, where time is
// cheap: one pass over each previous file for the blocks of every new index
// at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "release/block_index.h"

namespace release_list {

struct SeededIndex {
    std::string installedAs;  // the new file's path below the install folder, "/"-separated
    release::BlockIndex* index = nullptr;  // gets its seeds
};

// The files `folder`'s Arkenfel_List.ini installs below the install folder,
// as the previous release. Throws ReleaseListError when it has no list.
struct PreviousFile {
    std::string path;         // in `folder`
    std::string installedAs;  // below the install folder, "/"-separated
    uint64_t size = 0;        // 0 when it is not there
};
std::vector<PreviousFile> ReadPreviousRelease(const std::string& folder);

// Names each index's seeds: the previous files that give the most of its
// blocks its old copy (the previous file installed where it is) does not,
// one after another while each gives at least 1/64 of its own size, and at
// most release::kMaxSeeds. Every index has one block size. Throws
// ReleaseListError when a previous file cannot be read.
void NameSeeds(const std::vector<PreviousFile>& previous, const std::vector<SeededIndex>& indexes);

}  // namespace release_list
