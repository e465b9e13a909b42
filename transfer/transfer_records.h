// The two records every transfer passes around: the read block the caller
// lends to it, and the progress record the main window reads while the
// worker waits in SendMessage.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace transfer {

// The read block lent to a transfer; owns its data.
struct TransferBuffer {
    explicit TransferBuffer(int32_t size = 32768);
    int32_t size;
    std::unique_ptr<char[]> data;
    // Frees the block; data becomes null.
    void Release();
};

// lParam of UM_TRANSFER_PROGRESS (base/window_protocol.h). The caller owns it
// and keeps it alive for the whole call.
struct TransferProgress {
    HWND hWnd = nullptr;  // null: no messages are sent
    uint64_t lastChunk = 0;  // bytes this report is about
    uint64_t done = 0;       // bytes of the current file present so far
    uint64_t remaining = 0;  // bytes of the current request still to come
    uint64_t total = 0;      // size of the current file
};

// Sends UM_TRANSFER_PROGRESS with the record to its window, if it has one.
void ReportProgress(TransferProgress& progress);

}  // namespace transfer
