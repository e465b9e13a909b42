// The two records every transfer passes around: the read block the caller
// lends to it, and the progress record it reports.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/run_report.h"

namespace transfer {

// What a transfer routine gives back when it throws nothing: the request's
// whole answer arrived (or the check held), or it did not. The values are the
// 1 and 0 the routines have always returned.
enum TransferResult : int { kTransferFailed = 0, kTransferDone = 1 };

// The read block lent to a transfer; owns its data.
struct TransferBuffer {
    explicit TransferBuffer(int32_t size = 32768);
    int32_t size;
    std::unique_ptr<char[]> data;
    // Frees the block; data becomes null.
    void Release();
};

// The progress record of a transfer (base/run_report.h).
using TransferProgress = base::TransferProgress;

// Reports the record to its report, if it has one, once its counter has
// counted it.
void ReportProgress(TransferProgress& progress);

}  // namespace transfer
