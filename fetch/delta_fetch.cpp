#include "fetch/delta_fetch.h"

#include <windows.h>

#include <set>
#include <vector>

#include "base/ansi_text.h"
#include "base/link_guard.h"
#include "base/local_files.h"
#include "base/temporary_name.h"
#include "base/usable_path.h"
#include "delta/assembly_plan.h"
#include "delta/block_matcher.h"
#include "delta/staged_assembly.h"
#include "fetch/server_files.h"
#include "release/block_index.h"
#include "release/entry_on_disk.h"
#include "release/file_identity.h"
#include "release/staging_layout.h"
#include "transfer/http_transfer.h"
#include "transfer/resumable_transfer.h"
#include "transfer/transfer_errors.h"

namespace fetch {
namespace {

// The index as the list announced it (and, with a release key, as signed),
// fetched with one plain GET of exactly the announced size, within the
// index cap, into a copy beside the file that goes away again. False,
// silently, for anything else.
bool FetchIndex(const FetchContext& context, const release::ListEntry& entry, transfer::TransferBuffer& buffer,
                release::BlockIndex& index, uint32_t& indexSize) {
    const std::string name = entry.remoteName + release::kIndexSuffix;
    if (!context.trust.AllowsAnnounced(name, entry.blockIndexSize)) return false;
    if (entry.blockIndexSize > release::kMaxIndexBytes) return false;
    std::string bytes;
    {
        const base::TemporaryName copy(
            release::StagedName(release::FullPath(entry, context.installFolder) + release::kIndexSuffix));
        try {
            if (!transfer::HttpGetFile(nullptr, nullptr, buffer, ServerUrl(context, name), copy.path(), false,
                                       transfer::ExpectedLength::Exactly(entry.blockIndexSize)) ||
                !base::ReadFileToString(copy.path(), bytes))
                return false;
        } catch (const transfer::TransferException&) {
            return false;
        }
    }
    if (bytes.size() != entry.blockIndexSize || !context.trust.BytesMatch(name, bytes)) return false;
    indexSize = static_cast<uint32_t>(bytes.size());
    return release::ParseIndex(bytes, index) && index.fileSize == entry.size;
}

// The staged file as the entry (and the signed release, which then holds it
// until its copy) describe it.
bool AssembledFileMatches(FetchContext& context, const release::ListEntry& entry, const std::string& staged) {
    return !release::NeedsUpdateOnDisk(entry, staged) && context.trust.Admits(entry, staged);
}

// Back to a whole download: the file counts whole again, less the planned
// bytes that were never fetched; the file bar starts over.
DeltaFetch FetchWhole(FetchContext& context, const release::ListEntry& entry, uint64_t unfetched,
                      transfer::TransferProgress& progress) {
    context.bytes.CountAgain(entry.size - static_cast<uint32_t>(unfetched));
    progress.lastChunk = progress.done = 0;
    progress.remaining = progress.total = entry.size;
    return DeltaFetch::kWhole;
}

// The files the blocks are looked for in, each once: the installed copy
// when there is one, then the seeds the index names, in its order. A seed
// is a path below the install folder and obeys the rule every list name
// does; one that breaks it is never opened, and one that is not there (or
// is empty) costs nothing.
std::vector<std::string> SearchedFiles(const FetchContext& context, const std::string& oldCopy,
                                       const release::BlockIndex& index) {
    std::vector<std::string> files;
    std::set<std::string> named;
    const auto add = [&](const std::string& path) {
        if (release::GetFileSize64(path) > 0 && named.insert(base::ToLowerAnsi(path)).second) files.push_back(path);
    };
    if (!oldCopy.empty()) add(oldCopy);
    for (const std::string& seed : index.seeds) {
        const std::string local = base::ReplaceAll(seed, "/", "\\");
        const std::string path = context.installFolder + local;
        if (base::StaysBelowRoot(local) && base::IsUsablePath(path)) add(path);
    }
    return files;
}

// The blocks in the searched files. In a repair with a release key the
// installed copy is the release's own file with damaged stretches: a block
// that sits where it belongs with its weak checksum is taken without hashing
// the copy again, since the assembled file's SHA-256 decides (a wrong block
// costs a whole download, never a wrong file). A copy where most blocks are
// elsewhere or gone is an older file, searched as in any update. False when
// no file could be searched.
bool FindBlocks(const FetchContext& context, const release::BlockIndex& index, const std::vector<std::string>& files,
                bool oldCopyFirst, delta::BlockMatch& match) {
    constexpr double kMostlyInPlace = 0.5;
    bool searched = false;
    size_t next = 0;
    if (oldCopyFirst && context.repairs && context.trust.Checks() &&
        delta::MatchBlocksInPlace(index, files[0], match) && delta::FoundShare(match) >= kMostlyInPlace) {
        searched = true;
        next = 1;
    } else {
        delta::StartMatch(index, match);
    }
    for (; next < files.size(); ++next)
        searched = delta::SearchFile(index, files[next], static_cast<uint32_t>(next), match) || searched;
    return searched;
}

}  // namespace

DeltaFetch FetchByBlocks(FetchContext& context, const release::ListEntry& entry, const std::string& staged,
                         const std::string& markerText, transfer::TransferProgress& progress,
                         transfer::TransferBuffer& buffer) {
    const std::string oldPath = release::FullPath(entry, context.installFolder);
    const bool oldCopy = release::GetFileSize64(oldPath) > 0;
    // Without an old copy only an index that names seeds is worth its request.
    if (entry.blockIndexSize == 0 || (!oldCopy && entry.indexSeeds == 0) ||
        transfer::LeftUnderMarker(staged, markerText))  // a whole download goes on as it was
        return DeltaFetch::kWhole;
    release::BlockIndex index;
    uint32_t indexSize = 0;
    if (!FetchIndex(context, entry, buffer, index, indexSize)) return DeltaFetch::kWhole;
    const std::vector<std::string> files = SearchedFiles(context, oldCopy ? oldPath : std::string(), index);
    delta::BlockMatch match;
    const bool oldCopyFirst = oldCopy && !files.empty() && files.front() == oldPath;
    if (files.empty() || !FindBlocks(context, index, files, oldCopyFirst, match)) return DeltaFetch::kWhole;
    const delta::AssemblyPlan plan = delta::PlanAssembly(index, match);

    // From here the run counts the index and the ranges instead of the file.
    context.bytes.FetchInstead(entry.size, indexSize, static_cast<uint32_t>(plan.fetchBytes));

    const delta::AssemblySource source{ServerUrl(context, entry.remoteName), files, staged, markerText};
    uint64_t counted = 0;
    switch (delta::AssembleStagedFile(progress, buffer, source, plan, kTransferAttempts, counted)) {
    case delta::AssemblyResult::kFailed:
        return DeltaFetch::kFailed;
    case delta::AssemblyResult::kUnusable:
        return FetchWhole(context, entry, plan.fetchBytes - counted, progress);
    case delta::AssemblyResult::kAssembled:
        break;
    }
    if (AssembledFileMatches(context, entry, staged)) return DeltaFetch::kStaged;
    base::DeleteName(staged);
    base::DeleteName(release::MarkerPath(staged));
    return FetchWhole(context, entry, 0, progress);
}

}  // namespace fetch
