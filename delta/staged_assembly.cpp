#include "delta/staged_assembly.h"

#include <windows.h>

#include <algorithm>

#include "base/link_guard.h"
#include "base/unique_handle.h"
#include "transfer/http_transfer.h"
#include "base/local_files.h"
#include "transfer/resumable_transfer.h"
#include "transfer/transfer_errors.h"
#include "transfer/transfer_sink.h"
#include "release/staging_layout.h"

namespace delta {
namespace {

const char kAssemblySuffix[] = "|blocks";

uint64_t FileEnd(const AssemblyPlan& plan) {
    return plan.pieces.empty() ? 0 : plan.pieces.back().offset + plan.pieces.back().length;
}

// Opens the staged file where an earlier assembly of this version left it,
// or afresh; `offset` gets its usable length.
bool OpenStaged(transfer::DiskFileSink& file, const AssemblySource& source, uint64_t fileSize, uint64_t& offset) {
    offset = 0;
    const std::string markerPath = release::MarkerPath(source.staged);
    if (AssemblyUnderway(source.staged, source.markerText) &&
        file.Open(source.staged, transfer::DiskFileSink::Mode::OpenExisting)) {
        offset = std::min(file.Length(), fileSize);
        file.Seek(offset);
        file.Truncate();
        return true;
    }
    // Emptied before the marker claims it, so a kill in between never leaves
    // other bytes under this version's assembly marker.
    if (!file.Open(source.staged, transfer::DiskFileSink::Mode::CreateTruncate)) return false;
    base::WriteStringToFile(markerPath, AssemblyMarkerText(source.markerText));
    return true;
}

// Reports the bytes an earlier run left: the file bar moves to `offset`, the
// totals by the fetched bytes among them.
uint64_t ReportPresent(transfer::TransferProgress& progress, const AssemblyPlan& plan, uint64_t offset) {
    if (offset == 0) return 0;
    uint64_t fetched = 0;
    for (const Piece& piece : plan.pieces)
        if (piece.fetched() && piece.offset < offset) fetched += std::min(piece.length, offset - piece.offset);
    progress.lastChunk = fetched;
    progress.done = offset;
    transfer::ReportProgress(progress);
    return fetched;
}

// Copied bytes cost no waiting, so the window hears of them once per this
// many bytes (and at the end of each piece), not once per read block.
constexpr uint64_t kCopyReportStep = 1024 * 1024;

// Copied bytes move in blocks this large: few enough calls, and small enough
// to stay in the processor's cache from the read to the write (under Wine
// blocks of 1 MiB copied at a third of this pace).
constexpr int32_t kCopyBlock = 256 * 1024;

// Bytes [from, from + length) of a searched file to the end of the staged
// file. False when that file cannot be read.
bool CopyOld(transfer::TransferProgress& progress, transfer::TransferBuffer& buffer, HANDLE old,
             transfer::DiskFileSink& staged, uint64_t from, uint64_t length) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(from);
    if (!::SetFilePointerEx(old, to, nullptr, FILE_BEGIN)) return false;
    uint64_t unreported = 0;
    while (length > 0) {
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(length, static_cast<uint64_t>(buffer.size)));
        DWORD got = 0;
        if (!::ReadFile(old, buffer.data.get(), want, &got, nullptr) || got != want) return false;
        staged.Write(buffer.data.get(), got);
        length -= got;
        progress.done += got;
        unreported += got;
        if (unreported >= kCopyReportStep || length == 0) {
            progress.lastChunk = 0;
            transfer::ReportProgress(progress);
            unreported = 0;
        }
    }
    return true;
}

// Bytes from the end of the staged file to `last` of the new file,
// continued after the bytes written when an attempt breaks off, as a whole
// download would be.
AssemblyResult FetchRange(transfer::TransferProgress& progress, transfer::TransferBuffer& buffer,
                          const AssemblySource& source, transfer::DiskFileSink& staged, uint64_t fileSize,
                          uint64_t last, int attempts) {
    std::string message;
    for (int made = 0; made < attempts; ++made) {
        try {
            uint64_t received = 0;
            const uint64_t start = progress.done;  // the file is written front to back
            if (!transfer::HttpGetRange(&progress, buffer, source.url, staged, fileSize, received, start, last))
                return AssemblyResult::kUnusable;
            return AssemblyResult::kAssembled;
        } catch (const transfer::WholeFileAnswer&) {
            return AssemblyResult::kUnusable;  // a server that ignores ranges gives the whole file anyway
        } catch (const transfer::TransferException& e) {
            message = e.message();
        }
    }
    base::ReportOf(&progress).ShowError(message);
    return AssemblyResult::kFailed;
}

// Every file a piece is copied from, opened once before the first byte is
// written. False when one cannot be opened.
bool OpenCopiedFiles(const AssemblySource& source, const AssemblyPlan& plan, std::vector<base::UniqueFile>& files) {
    files.clear();
    files.resize(source.files.size());
    for (const Piece& piece : plan.pieces) {
        if (piece.fetched()) continue;
        if (piece.file >= files.size()) return false;
        base::UniqueFile& file = files[piece.file];
        if (file) continue;
        file.reset(::CreateFileA(source.files[piece.file].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file) return false;
    }
    return true;
}

}  // namespace

std::string AssemblyMarkerText(const std::string& markerText) { return markerText + kAssemblySuffix; }

bool AssemblyUnderway(const std::string& staged, const std::string& markerText) {
    return transfer::LeftUnderMarker(staged, AssemblyMarkerText(markerText));
}

AssemblyResult AssembleStagedFile(transfer::TransferProgress& progress, transfer::TransferBuffer& buffer,
                                  const AssemblySource& source, const AssemblyPlan& plan, int attempts,
                                  uint64_t& counted) {
    counted = 0;
    const uint64_t fileSize = FileEnd(plan);
    std::vector<base::UniqueFile> files;
    if (fileSize == 0 || !OpenCopiedFiles(source, plan, files)) return AssemblyResult::kUnusable;
    transfer::TransferBuffer copyBlock(kCopyBlock);
    try {
        transfer::DiskFileSink staged;
        uint64_t offset = 0;
        if (!OpenStaged(staged, source, fileSize, offset)) return AssemblyResult::kUnusable;
        progress.total = fileSize;
        counted = ReportPresent(progress, plan, offset);
        progress.done = offset;
        for (const Piece& piece : plan.pieces) {
            const uint64_t end = piece.offset + piece.length;
            if (end <= offset) continue;
            const uint64_t skip = offset > piece.offset ? offset - piece.offset : 0;
            if (!piece.fetched()) {
                if (!CopyOld(progress, copyBlock, files[piece.file].get(), staged,
                             static_cast<uint64_t>(piece.source) + skip, piece.length - skip))
                    return AssemblyResult::kUnusable;
            } else {
                const uint64_t before = progress.done;
                const AssemblyResult fetched =
                    FetchRange(progress, buffer, source, staged, fileSize, end - 1, attempts);
                counted += progress.done - before;
                if (fetched != AssemblyResult::kAssembled) return fetched;
            }
            offset = end;
        }
    } catch (const transfer::TransferException&) {
        return AssemblyResult::kUnusable;  // the staged file could not be written
    }
    base::DeleteName(release::MarkerPath(source.staged));
    return AssemblyResult::kAssembled;
}

}  // namespace delta
