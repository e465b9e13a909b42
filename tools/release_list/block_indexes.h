// The block indexes of a release's large files, "<name>.blkidx" beside each
// file in the version folder, from which updaters fetch only the blocks that
// changed.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "base/split_string.h"
#include "integrity/release_signature.h"
#include "tools/release_list/file_digests.h"
#include "tools/release_list/release_options.h"
#include "tools/release_list/release_plan.h"

namespace release_list {

struct BlockIndexFile {
    std::string remoteName;  // "<file's remote name>.blkidx"
    std::string path;        // beside the file
    std::string bytes;
    uint32_t seeds = 0;  // how many seeds it names
};

// By the remote name of the file each describes: one for every planned file
// of at least the threshold, built in the files' one read (`digests`),
// naming seeds in the files of `previousRelease` (a version folder; empty:
// none). Files that could not be read go to `problems`.
std::map<std::string, BlockIndexFile> MakeBlockIndexes(const ReleasePlan& plan, const ReleaseOptions& options,
                                                       const std::string& previousRelease,
                                                       std::map<std::string, FileDigests>& digests,
                                                       base::StringList& problems);
// Writes the indexes; removes an index left beside a file that no longer
// gets one, so that no index ever describes other bytes than its file.
void WriteBlockIndexes(const ReleasePlan& plan, const std::map<std::string, BlockIndexFile>& indexes);
// Adds each index to the signed release as a file of its own.
void SignBlockIndexes(const std::map<std::string, BlockIndexFile>& indexes, integrity::ReleaseManifest& manifest);

}  // namespace release_list
