#include "tools/release_list/block_indexes.h"

#include "base/ansi_text.h"
#include "base/file_system.h"
#include "release/block_index.h"
#include "release/file_identity.h"
#include "tools/release_list/index_seeds.h"
#include "tools/release_list/release_error.h"
#include "tools/release_list/staged_file.h"

namespace release_list {

namespace {

// The file's path below the install folder as a seed would name it.
std::string InstalledAs(const PlannedFile& planned) {
    return base::ReplaceAll(planned.localPath.empty() ? planned.file.remoteName : planned.localPath, "\\", "/");
}

}  // namespace

std::map<std::string, BlockIndexFile> MakeBlockIndexes(const ReleasePlan& plan, const ReleaseOptions& options,
                                                       const std::string& previousRelease,
                                                       std::map<std::string, FileDigests>& digests,
                                                       base::StringList& problems) {
    std::map<std::string, BlockIndexFile> indexes;
    if (options.indexThreshold == 0) return indexes;
    std::map<std::string, release::BlockIndex*> built;
    std::vector<SeededIndex> seeded;
    for (const PlannedFile& planned : plan.files) {
        if (release::GetFileSize64(planned.file.path) < options.indexThreshold) continue;
        FileDigests& digest = digests[planned.file.remoteName];
        if (!digest.read || !digest.indexed) {
            problems.push_back("\"" + planned.file.remoteName + "\" could not be read to the end for its block index");
            continue;
        }
        built[planned.file.remoteName] = &digest.index;
        seeded.push_back({InstalledAs(planned), &digest.index});
    }
    if (!previousRelease.empty() && problems.empty()) NameSeeds(ReadPreviousRelease(previousRelease), seeded);
    for (const PlannedFile& planned : plan.files) {
        const auto index = built.find(planned.file.remoteName);
        if (index == built.end()) continue;
        indexes[planned.file.remoteName] = {planned.file.remoteName + release::kIndexSuffix,
                                            planned.file.path + release::kIndexSuffix,
                                            release::SerializeIndex(*index->second),
                                            static_cast<uint32_t>(index->second->seeds.size())};
    }
    return indexes;
}

void WriteBlockIndexes(const ReleasePlan& plan, const std::map<std::string, BlockIndexFile>& indexes) {
    for (const PlannedFile& planned : plan.files) {
        const auto index = indexes.find(planned.file.remoteName);
        if (index == indexes.end()) {
            const std::string stale = planned.file.path + release::kIndexSuffix;
            if (!base::DeleteIfPresent(stale))
                throw ReleaseListError("cannot remove the outdated block index " + stale);
            continue;
        }
        WriteWhole(index->second.path, index->second.bytes);
    }
}

void SignBlockIndexes(const std::map<std::string, BlockIndexFile>& indexes, integrity::ReleaseManifest& manifest) {
    for (const auto& item : indexes) {
        integrity::SignedFile file;
        file.size = static_cast<uint32_t>(item.second.bytes.size());
        if (!crypto::HashBytes(item.second.bytes, file.sha256))
            throw ReleaseListError("cannot hash the block index of \"" + item.first + "\"");
        manifest.files[item.second.remoteName] = file;
    }
}

}  // namespace release_list
