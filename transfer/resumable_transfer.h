// Downloads that survive broken connections and update runs: retried size
// queries and ranged requests, the check of a partial file against the
// remote one, and the entry point that keeps a ".$ver$" marker beside the
// download while it is incomplete.
#pragma once

#include <cstdint>
#include <string>

#include "transfer/expected_length.h"
#include "transfer/transfer_records.h"
#include "transfer/transfer_sink.h"

namespace transfer {

// Every box of a transfer is the error box with its last failure's text,
// reported after its last attempt (or before the first, when the drive is
// full) to the report of the caller's progress record (base::ReportOf), or to
// `report` where a routine takes one.

// Size of the remote file from its Content-Length. Tries `attempts` times;
// a size that `expected` does not allow is a failed attempt. After the last
// failure the last diagnostic goes to `report` as an error box. kTransferDone
// and the size, or kTransferFailed and size 0.
TransferResult GetRemoteFileSize(base::RunReport& report, const std::string& url, uint64_t& size, int attempts,
                      const ExpectedLength& expected);

// Bytes first..last into `sink`, continuing after the bytes already written
// when an attempt breaks off. `progress` lends only its report. `received`
// gets every byte written by all attempts. Error box after the last attempt.
// WholeFileAnswer passes through without a retry or a box.
TransferResult HttpGetRangeRetry(TransferProgress* progress, TransferBuffer& buffer, const std::string& url,
                      TransferSink& sink, uint64_t fileSize, uint64_t& received, uint64_t first,
                      uint64_t last, int attempts);

// kTransferDone when the open local file is the beginning of the remote file: its first
// and last `sample` bytes (the whole file when short) equal the remote ones.
// kTransferFailed at once when the server answers a sample with the whole file: a server
// that ignores Range cannot continue the file anyway. The samples report no
// progress; their failures go to `report`.
TransferResult VerifyPartialFile(base::RunReport& report, TransferBuffer& buffer, const std::string& url, DiskFileSink& file,
                      int32_t sample, int attempts, const ExpectedLength& expected);

// Brings the remote file to `target`. With a marker text, a partial file
// left by an earlier call with the same text is checked and continued; the
// marker (the target's path without extension plus ".$ver$") is removed
// once the download has ended. A resumed request answered with the whole
// file (200 with the size the size query gave) starts the file over with
// that body. The remote size must be one `expected` allows, and the bytes
// still missing must fit on the target's drive, or nothing is fetched (the
// latter with the system's "disk full" text in an error box). kTransferDone when the
// target holds the whole remote file.
TransferResult DownloadFileResumable(TransferProgress* progress, TransferBuffer& buffer, const std::string& url,
                          const std::string& target, const char* markerText, int attempts,
                          const ExpectedLength& expected);

// The same for a file whose size and content the caller already knows (a
// signed release): no size query, and a partial file left under a matching
// marker is continued from its length without samples, or started over
// when it is longer than `size`. A file of at most 64 KiB gets no marker of
// its own: broken off, it comes again whole. The caller checks the whole file after,
// and starts it over when it does not match. One ranged request when
// nothing fails. With `kept`, the target is opened without sharing from its
// first byte and comes back open in `kept` with its SHA-256 (a continued
// file is read once from its start), so the check need not read it again.
TransferResult DownloadFileOfKnownSize(TransferProgress* progress, TransferBuffer& buffer, const std::string& url,
                            const std::string& target, const char* markerText, int attempts, uint64_t size,
                            WrittenFile* kept = nullptr);

// The target exists and its marker holds exactly `markerText`: a download
// under that text was left unfinished.
bool LeftUnderMarker(const std::string& target, const std::string& markerText);

}  // namespace transfer
