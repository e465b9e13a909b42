#include "discovery/download_stage.h"

#include "base/ansi_text.h"
#include "base/usable_path.h"
#include "base/window_protocol.h"
#include "discovery/delta_fetch.h"
#include "discovery/download_updates.h"
#include "discovery/release_check.h"
#include "discovery/server_files.h"
#include "discovery/update_rules.h"
#include "transfer/directories.h"
#include "transfer/resumable_transfer.h"
#include "release/staging_layout.h"

namespace discovery {
namespace {

const char kSkinFile[] = "styles\\Vantero.cjstyles";

bool IsSelfFile(const UpdateState& state, const std::string& localPath) {
    const std::string name = base::ToLowerAnsi(localPath);
    return name == base::ToLowerAnsi(kSkinFile) || name == base::ToLowerAnsi(state.m_strSelfFileName);
}

void CreateFolderOf(const UpdateState& state, const release::ListEntry& entry) {
    const size_t slash = entry.localPath.rfind('\\');
    if (slash == std::string::npos) return;
    const std::string folder = entry.localPath.substr(0, slash);
    transfer::CreateDirectories(entry.isSystemPath ? folder : state.m_strInstallFolder + folder);
}

// A staged copy left by an earlier run is reused when it is complete and
// current. It must exist: an entry with size 0 and no fingerprint would
// otherwise pass the disk check for a file that was never fetched.
bool NeedsFetch(const release::ListEntry& entry, const std::string& staged) {
    return ::GetFileAttributesA(staged.c_str()) == INVALID_FILE_ATTRIBUTES || NeedsUpdateOnDisk(entry, staged);
}

// The size the entry's download may have without a release key: the list's
// size for an entry compared by size. An entry steered by its revision text
// is compared without it and takes the size answered.
transfer::ExpectedLength ExpectedLengthOf(const release::ListEntry& entry) {
    if (entry.revision.empty()) return transfer::ExpectedLength::Exactly(entry.size);
    return transfer::ExpectedLength::AsAnswered();
}

// The signature gives the file's size and SHA-256, so the file comes with
// one ranged request from its signed size and the hash decides. A partial
// file an earlier run left, continued here, starts over from byte 0 once
// when the whole does not match; a file fetched from its first byte that
// does not match is refused. True when the staged file matched.
bool FetchSignedFile(UpdateState& state, const release::ListEntry& entry, const std::string& url, const std::string& staged,
                     const std::string& marker, transfer::TransferProgress& progress,
                     transfer::TransferBuffer& buffer) {
    const integrity::SignedFile& known = state.m_mapSignedFiles.at(entry.remoteName);
    const auto fetch = [&] {
        return transfer::DownloadFileOfKnownSize(&progress, buffer, url, staged, marker.c_str(), kTransferAttempts,
                                                 known.size) == 1;
    };
    const bool continued = transfer::LeftUnderMarker(staged, marker);
    if (!fetch()) return false;
    if (!continued) return StagedFileIsSigned(state, entry, staged);
    if (HoldIfSigned(state, entry, staged)) return true;

    ::DeleteFileA(staged.c_str());
    // The window has counted the file's bytes once; they come again.
    state.m_nTotalBytes += known.size;
    state.m_nRemainingBytes += known.size;
    progress.lastChunk = progress.done = 0;
    progress.remaining = progress.total = entry.size;
    return fetch() && StagedFileIsSigned(state, entry, staged);
}

// Fetches the entry into its staged name, by its blocks where it can, else
// whole. In a signed release the staged file has matched the signature
// when this returns true.
bool FetchFile(UpdateState& state, const release::ListEntry& entry, const std::string& staged,
               transfer::TransferProgress& progress, transfer::TransferBuffer& buffer) {
    const std::string& marker = entry.revision.empty() ? entry.fingerprint : entry.revision;
    switch (FetchByBlocks(state, entry, staged, marker, progress, buffer)) {
    case DeltaFetch::kFailed:
        return false;
    case DeltaFetch::kStaged:  // checked against the signed release already
        return true;
    case DeltaFetch::kWhole:
        break;
    }
    const std::string url = MakeServerUrl(state, entry.remoteName);
    if (ChecksReleases(state)) return FetchSignedFile(state, entry, url, staged, marker, progress, buffer);
    return transfer::DownloadFileResumable(&progress, buffer, url, staged, marker.c_str(), kTransferAttempts,
                                           ExpectedLengthOf(entry)) == 1;
}

// A staged file already complete and current: report it as fully received.
void ReportStagedFile(transfer::TransferProgress& progress, uint32_t size) {
    progress.lastChunk = size;
    progress.done = size;
    progress.remaining = 0;
    transfer::ReportProgress(progress);
}

}  // namespace

void RestrictToSelfFiles(UpdateState& state) {
    state.m_bSelfUpdate = FALSE;
    const release::EntryMap pending = state.m_mapPending;
    for (const auto& item : pending) {
        const release::ListEntry& entry = item.second;
        if (!IsSelfFile(state, entry.localPath)) continue;
        if (!state.m_bSelfUpdate) {
            state.m_bSelfUpdate = TRUE;
            state.m_mapPending.clear();
            state.m_nTotalBytes = state.m_nRemainingBytes = state.m_nFileCount = 0;
        }
        state.m_mapPending[item.first] = entry;
        state.m_nTotalBytes += entry.size;
        ++state.m_nFileCount;
    }
    state.m_nRemainingBytes = state.m_nTotalBytes;
}

base::StringList PendingFilePaths(const UpdateState& state) {
    base::StringList paths;
    for (const auto& item : state.m_mapPending) {
        const release::ListEntry& entry = item.second;
        if (base::EqualsNoCase(entry.localPath, state.m_strSelfFileName)) continue;
        paths.push_back(release::FullPath(entry, state.m_strInstallFolder));
    }
    return paths;
}

int DownloadPendingFiles(UpdateState& state) {
    base::SetBarRange(state.hWnd, kTotalProgressBar, 0, 100);
    base::SetBarPos(state.hWnd, kTotalProgressBar, 0);
    state.m_dwStartTick = ::GetTickCount();
    if (ChecksReleases(state) && !PendingFilesAreSigned(state)) return kFailed;

    transfer::TransferBuffer buffer(kWorkBufferSize);
    transfer::TransferProgress progress;
    progress.hWnd = state.hWnd;
    for (const auto& item : state.m_mapPending) {
        const release::ListEntry& entry = item.second;
        const std::string staged = release::StagedName(release::FullPath(entry, state.m_strInstallFolder));
        // An entry whose name cannot be a file, or that would leave its
        // folder, fails the run before any of its folders is made or any
        // request is sent.
        if (!base::IsUsablePath(staged) || !release::StaysInItsFolder(entry)) return kFailed;
        CreateFolderOf(state, entry);
        base::SetControlText(state.hWnd, kFileNameLabel, base::FileNamePart(entry.localPath));
        base::SetControlText(state.hWnd, kStatusLabel, "파일 수신 중...");

        progress.lastChunk = 0;
        progress.done = 0;
        progress.remaining = progress.total = entry.size;
        if (NeedsFetch(entry, staged)) {
            if (!FetchFile(state, entry, staged, progress, buffer)) return kFailed;
        } else {
            ReportStagedFile(progress, entry.size);
            if (ChecksReleases(state) && !StagedFileIsSigned(state, entry, staged)) return kFailed;
        }
        state.m_mapFetched[item.first] = entry;
        state.m_mapUpdatedFiles[entry.localPath] = entry.localPath;
    }
    return kFetched;
}

}  // namespace discovery
