// A changed file fetched by its blocks: when the list announces a block
// index for it and its old copy is in place (or the index names seeds, files
// of the previous release that hold some of its blocks), the staged file is
// put together from the blocks found in the old copy and the seeds there are,
// and ranged fetches of the rest, then checked like any download before it
// counts as staged. Everything else (no index, neither an old copy nor seeds,
// a whole download already under way, an index or result that does not check
// out, a server that ignores ranges) leaves the file to the whole download,
// with no request made for the index when there is none to make.
//
// Every file is staged before the first is put in place, so an old copy or a
// seed that the same run replaces is read while it still holds its old bytes.
#pragma once

#include <string>

#include "fetch/fetch_context.h"
#include "release/list_entry.h"
#include "transfer/transfer_records.h"

namespace fetch {

enum class DeltaFetch {
    kStaged,  // the staged file is complete and matched the entry (and the signed release)
    kWhole,   // fetch the file whole; nothing unverified is left behind
    kFailed,  // a range failed on every attempt (box shown); the next run continues
};

// Keeps the run's byte counters to the bytes really fetched: the index and
// the fetched ranges count, reused blocks only move the file bar.
DeltaFetch FetchByBlocks(FetchContext& context, const release::ListEntry& entry, const std::string& staged,
                         const std::string& markerText, transfer::TransferProgress& progress,
                         transfer::TransferBuffer& buffer);

}  // namespace fetch
