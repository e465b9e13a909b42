#include "fetch/planned_files.h"

#include <mutex>
#include <set>

#include "base/ansi_text.h"
#include "base/link_guard.h"
#include "base/usable_path.h"
#include "fetch/delta_fetch.h"
#include "fetch/files_in_flight.h"
#include "fetch/flight_board.h"
#include "fetch/refusal.h"
#include "fetch/server_files.h"
#include "release/entry_on_disk.h"
#include "release/staging_layout.h"
#include "transfer/resumable_transfer.h"

namespace fetch {
namespace {

// The folders one fetch of planned files has made or found, told apart
// without regard to case; files in flight add to it from their own threads.
class FoldersMade {
public:
    bool Has(const std::string& folder) {
        const std::lock_guard<std::mutex> lock(lock_);
        return folders_.count(base::ToUpperAnsi(folder)) != 0;
    }
    void Add(const std::string& folder) {
        const std::lock_guard<std::mutex> lock(lock_);
        folders_.insert(base::ToUpperAnsi(folder));
    }

private:
    std::mutex lock_;
    std::set<std::string> folders_;
};

const char kTextFetchAgain[] = "\n받은 파일을 지웠습니다. 다음 실행 때 다시 받습니다.";
const char kTextLinkedFolder[] = "[%s] 폴더가 다른 위치로 연결되어 있어 파일을 설치할 수 없습니다.";
const char kTextLinkRemedy[] = "\n업데이터를 다시 실행하면 연결을 지우고 설치합니다.";

// Makes the folders of the entry's staged file. A folder on the way that is
// a link would carry the file out of the install folder: the run ends there,
// naming it. Any other failure is left to the download, which reports it.
// A folder this fetch has made or found already is not walked again: every
// write into it still looks for links on its way (base::OpenForWriting).
void CreateFolderOf(const std::string& staged, FoldersMade& made) {
    const std::string folder = base::FolderPart(staged);
    if (made.Has(folder)) return;
    std::string failed;
    if (base::MakeFolders(folder, &failed)) {
        made.Add(folder);
        return;
    }
    if (::GetLastError() != base::kLinkOnTheWay) return;
    const std::string text = base::FormatText(kTextLinkedFolder, failed.c_str());
    Refuse(base::RunStage::kFetch, text, text + kTextLinkRemedy);
}

// A staged copy left by an earlier run is reused when it is complete and
// current. It must exist: an entry with size 0 and no fingerprint would
// otherwise pass the disk check for a file that was never fetched.
bool NeedsFetch(const release::ListEntry& entry, const std::string& staged) {
    return ::GetFileAttributesA(staged.c_str()) == INVALID_FILE_ATTRIBUTES ||
           release::NeedsUpdateOnDisk(entry, staged);
}

// The size the entry's download may have without a release key: the list's
// size for an entry compared by size. An entry steered by its revision text
// is compared without it and takes the size answered.
transfer::ExpectedLength ExpectedLengthOf(const release::ListEntry& entry) {
    if (entry.revision.empty()) return transfer::ExpectedLength::Exactly(entry.size);
    return transfer::ExpectedLength::AsAnswered();
}

// The signature gives the file's size and SHA-256, so the file comes with
// one ranged request from its signed size and the hash, taken as the bytes
// are written, decides; the download's handle then holds the file until its
// copy. A partial file an earlier run left, continued here, starts over from
// byte 0 once when the whole does not match; a file fetched from its first
// byte that does not match is refused. False when a transfer gave up.
bool FetchSignedFile(FetchContext& context, const release::ListEntry& entry, const std::string& url,
                     const std::string& staged, const std::string& marker, transfer::TransferProgress& progress,
                     transfer::TransferBuffer& buffer) {
    const uint32_t signedSize = context.trust.Find(entry.remoteName)->size;  // CheckPlanIsSigned held
    const auto fetchAndAdmit = [&](bool& admitted) {
        transfer::WrittenFile written;
        if (transfer::DownloadFileOfKnownSize(&progress, buffer, url, staged, marker.c_str(), kTransferAttempts,
                                              signedSize, &written) != transfer::kTransferDone)
            return false;
        admitted = context.trust.AdmitsWritten(entry, std::move(written));
        return true;
    };
    const bool continued = transfer::LeftUnderMarker(staged, marker);
    bool admitted = false;
    if (!fetchAndAdmit(admitted)) return false;
    if (admitted) return true;
    if (!continued) RefuseStagedFile(entry, staged);

    base::DeleteName(staged);
    // The window has counted the file's bytes once; they come again.
    context.bytes.CountAgain(signedSize);
    progress.lastChunk = progress.done = 0;
    progress.remaining = progress.total = entry.size;
    if (!fetchAndAdmit(admitted)) return false;
    if (!admitted) RefuseStagedFile(entry, staged);
    return true;
}

// Fetches the entry into its staged name, by its blocks where it can, else
// whole. The staged file has been admitted when this returns true; false
// when a transfer gave up.
bool FetchFile(FetchContext& context, const release::ListEntry& entry, const std::string& staged,
               transfer::TransferProgress& progress, transfer::TransferBuffer& buffer) {
    const std::string& marker = entry.revision.empty() ? entry.fingerprint : entry.revision;
    switch (FetchByBlocks(context, entry, staged, marker, progress, buffer)) {
    case DeltaFetch::kFailed:
        return false;
    case DeltaFetch::kStaged:  // admitted already
        return true;
    case DeltaFetch::kWhole:
        break;
    }
    const std::string url = ServerUrl(context, entry.remoteName);
    if (context.trust.Checks()) return FetchSignedFile(context, entry, url, staged, marker, progress, buffer);
    return transfer::DownloadFileResumable(&progress, buffer, url, staged, marker.c_str(), kTransferAttempts,
                                           ExpectedLengthOf(entry)) == transfer::kTransferDone;
}

// The entry's staged name. An entry whose name cannot be a file, or that
// would leave its folder, fails the run before any of its folders is made or
// any request is sent.
std::string StagedNameOf(const FetchContext& context, const release::ListEntry& entry) {
    std::string stagedName = release::StagedName(release::FullPath(entry, context.installFolder));
    if (!IsStageable(entry, stagedName)) throw base::RunFailure{base::RunStage::kFetch};
    return stagedName;
}

// A staged file already complete and current: report it as fully received.
void ReportStagedFile(transfer::TransferProgress& progress, uint32_t size) {
    progress.lastChunk = size;
    progress.done = size;
    progress.remaining = 0;
    transfer::ReportProgress(progress);
}

// Stages the entry: fetched, or reused when an earlier run left it complete,
// and admitted either way. Throws the run's failure when it cannot.
void StagePlannedFile(FetchContext& context, const release::ListEntry& entry, const std::string& stagedName,
                      FoldersMade& made, transfer::TransferProgress& progress, transfer::TransferBuffer& buffer) {
    CreateFolderOf(stagedName, made);
    progress.lastChunk = 0;
    progress.done = 0;
    progress.remaining = progress.total = entry.size;
    if (context.leftoversUntrusted && !context.trust.Checks()) {
        base::DeleteName(stagedName);
        base::DeleteName(release::MarkerPath(stagedName));
    }
    if (NeedsFetch(entry, stagedName)) {
        if (!FetchFile(context, entry, stagedName, progress, buffer)) throw base::RunFailure{base::RunStage::kFetch};
    } else {
        ReportStagedFile(progress, entry.size);
        AdmitStagedFile(context, entry, stagedName);
    }
}

}  // namespace

bool IsStageable(const release::ListEntry& entry, const std::string& stagedName) {
    return base::IsUsablePath(stagedName) && release::StaysInItsFolder(entry);
}

void CheckPlanIsSigned(const FetchContext& context, const release::EntryMap& plan) {
    for (const auto& item : plan) {
        const release::ListEntry& entry = item.second;
        if (context.trust.Covers(entry)) continue;
        const std::string text = base::FormatText(kTextFileUnsigned, entry.localPath.c_str());
        Refuse(base::RunStage::kSignature, text, text + kTextNotInstalled);
    }
}

void AdmitStagedFile(FetchContext& context, const release::ListEntry& entry, const std::string& staged) {
    if (!context.trust.Admits(entry, staged)) RefuseStagedFile(entry, staged);
}

void RefuseStagedFile(const release::ListEntry& entry, const std::string& staged) {
    base::DeleteName(staged);
    base::DeleteName(release::MarkerPath(staged));
    const std::string text = base::FormatText(kTextFileMismatch, entry.localPath.c_str());
    Refuse(base::RunStage::kSignature, text, text + kTextFetchAgain);
}

void FetchPlannedFiles(FetchContext& context, const release::EntryMap& plan, release::EntryMap& staged) {
    CheckPlanIsSigned(context, plan);
    // With a key every file's size is known before its request, so files
    // go in flight together (a single file too: the board tells the window
    // of it every 50 ms rather than every block); without one each takes a
    // size query first and they come one after another.
    FoldersMade made;
    if (context.trust.Checks()) {
        StageInFlight(context, plan, staged, kFilesInFlight,
                      [&made](FetchContext& lane, const release::ListEntry& entry,
                              transfer::TransferProgress& progress, transfer::TransferBuffer& buffer) {
                          StagePlannedFile(lane, entry, StagedNameOf(lane, entry), made, progress, buffer);
                      });
        return;
    }
    transfer::TransferBuffer buffer(kWorkBufferSize);
    transfer::TransferProgress progress;
    progress.report = &context.report;
    progress.counter = &context.bytes;
    for (const auto& item : plan) {
        const release::ListEntry& entry = item.second;
        const std::string stagedName = StagedNameOf(context, entry);
        context.report.SetText(kFileNameLabel, base::FileNamePart(entry.localPath));
        context.report.SetText(kStatusLabel, kTextReceiving);
        StagePlannedFile(context, entry, stagedName, made, progress, buffer);
        staged[item.first] = entry;
    }
}

}  // namespace fetch
