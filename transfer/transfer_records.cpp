#include "transfer/transfer_records.h"

#include "base/run_report.h"

namespace transfer {

TransferBuffer::TransferBuffer(int32_t size) : size(size), data(new char[size > 0 ? size : 1]) {}

void TransferBuffer::Release() { data.reset(); }

void ReportProgress(TransferProgress& progress) {
    if (!progress.report) return;
    if (progress.counter) progress.counter->Count(progress);
    progress.report->Transferred(progress);
}

}  // namespace transfer
