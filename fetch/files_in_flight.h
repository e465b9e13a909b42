// Several planned files fetched at once, for a run whose signature gave
// every file's size before the first file request: lanes (threads) each
// take the next file in the plan's order and stage it as a run one file at
// a time would, all over the run's one internet session, whose kept
// connections they share. The window shows them through a FlightBoard.
// Once a file fails no lane takes another; the files in flight end as they
// would, so that what they staged is kept (admitted files stay in `staged`,
// partial ones under their markers for the next run), and then the failure
// of the earliest failed file is the run's, with the box it held back.
#pragma once

#include <functional>

#include "fetch/fetch_context.h"
#include "release/list_entry.h"
#include "transfer/transfer_records.h"

namespace fetch {

// Files in flight at once: enough to hide the round trips of small files
// over a distant link (measured over 50 ms: eight fetch 200 small files in
// about three quarters of the time six take), few enough for a server's
// per-client limits.
constexpr int kFilesInFlight = 8;

// Stages one entry with the lane's context, progress record and buffer;
// throws the run's failure when it cannot.
using StageEntry = std::function<void(FetchContext&, const release::ListEntry&, transfer::TransferProgress&,
                                      transfer::TransferBuffer&)>;

// `staged` gains every entry staged. Throws the failure (or any other
// exception) of the earliest entry that failed, after every lane has ended.
void StageInFlight(FetchContext& context, const release::EntryMap& plan, release::EntryMap& staged, int lanes,
                   const StageEntry& stage);

}  // namespace fetch
