// The messages between the update run and the main window, and the calls the
// worker side uses to change the window. Everything here goes through the
// window handle only, so the parts that report progress never need the
// window's C++ objects; a null window makes every call a no-op, which is how
// those parts run without a window (in tests, or for fetches that report nothing).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "res/resource.h"

// Posted by the window to itself at the end of initialisation: start the worker.
constexpr UINT UM_START_RUN = 0x502;
// Posted by the worker once at the end of every run: end the modal loop.
constexpr UINT UM_RUN_DONE = 0x501;
// Sent (synchronously) with lParam = TransferProgress* after each received block.
constexpr UINT UM_TRANSFER_PROGRESS = 0x40B;
// Sent (synchronously) with lParam = RegisterProgress* after each registered item.
constexpr UINT UM_REGISTER_PROGRESS = 0x40C;

// Controls of the main window that the worker side writes to.
constexpr int kFileProgressBar = IDC_FILE_PROGRESS;
constexpr int kTotalProgressBar = IDC_TOTAL_PROGRESS;
constexpr int kFileNameLabel = IDC_FILE_NAME;
constexpr int kFileInfoLabel = IDC_FILE_INFO;
constexpr int kStatusLabel = IDC_STATUS;
constexpr int kSummaryLabel = IDC_SUMMARY;

// The registration progress context: the window, the current item and the
// item count. Registration and the firewall step keep the counters current.
struct RegisterProgress {
    HWND hWnd = nullptr;
    int32_t current = 0;
    int32_t count = 0;
};

namespace base {

void SetControlText(HWND dialog, int id, const std::string& text);
std::string GetControlText(HWND dialog, int id);
// Progress bars: the skinned bar keeps its own range and position and takes
// them from these messages (PBM_SETRANGE32, PBM_SETPOS, PBM_GETRANGE).
void SetBarRange(HWND dialog, int id, int lower, int upper);
void SetBarPos(HWND dialog, int id, int position);
int GetBarUpper(HWND dialog, int id);

}  // namespace base
