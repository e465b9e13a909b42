// The messages between the update run and the main window, and the names of
// the window's parts that a stage reports to (base/run_report.h). No control
// ids: only the window knows which control is which part.
#pragma once

#include <windows.h>

// Posted by the window to itself at the end of initialisation: start the worker.
constexpr UINT UM_START_RUN = 0x502;
// Posted by the worker once at the end of every run: end the modal loop.
constexpr UINT UM_RUN_DONE = 0x501;
// Sent (synchronously) with lParam = TransferProgress* after each received block.
constexpr UINT UM_TRANSFER_PROGRESS = 0x40B;
// Sent (synchronously) with lParam = RegisterProgress* after each registered item.
constexpr UINT UM_REGISTER_PROGRESS = 0x40C;

// The upper end of the run's bars (a percentage).
constexpr int kFullBar = 100;

// Parts of the main window that the worker side writes to.
enum WindowPart : int {
    kFileProgressBar,
    kTotalProgressBar,
    kFileNameLabel,
    kFileInfoLabel,
    kStatusLabel,
    kSummaryLabel,
    kWindowPartCount
};
