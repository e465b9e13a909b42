#include "transfer/transfer_records.h"

#include "base/window_protocol.h"

namespace transfer {

TransferBuffer::TransferBuffer(int32_t size) : size(size), data(new char[size > 0 ? size : 1]) {}

void TransferBuffer::Release() { data.reset(); }

void ReportProgress(TransferProgress& progress) {
    if (progress.hWnd)
        ::SendMessageA(progress.hWnd, UM_TRANSFER_PROGRESS, 0, reinterpret_cast<LPARAM>(&progress));
}

}  // namespace transfer
