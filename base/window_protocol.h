// The messages between the update run and the main window, and the calls the
// worker side uses to change the window. Everything here goes through the
// window handle only, so the parts that report progress never need the
// window's C++ objects; a null window makes every call a no-op, which is how
// those parts run without a window (in tests, or for fetches that report nothing).
// The window names its parts on itself, so this side knows no control ids.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Posted by the window to itself at the end of initialisation: start the worker.
constexpr UINT UM_START_RUN = 0x502;
// Posted by the worker once at the end of every run: end the modal loop.
constexpr UINT UM_RUN_DONE = 0x501;
// Sent (synchronously) with lParam = TransferProgress* after each received block.
constexpr UINT UM_TRANSFER_PROGRESS = 0x40B;
// Sent (synchronously) with lParam = RegisterProgress* after each registered item.
constexpr UINT UM_REGISTER_PROGRESS = 0x40C;

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

namespace base {

// The window says which of its controls is `part` (a window property, read
// without a message); it forgets them all before it is destroyed.
void NameWindowPart(HWND window, WindowPart part, HWND control);
void ForgetWindowParts(HWND window);

void SetControlText(HWND dialog, WindowPart part, const std::string& text);
std::string GetControlText(HWND dialog, WindowPart part);
// Progress bars: the skinned bar keeps its own range and position and takes
// them from these messages (PBM_SETRANGE32, PBM_SETPOS, PBM_GETRANGE).
void SetBarRange(HWND dialog, WindowPart part, int lower, int upper);
void SetBarPos(HWND dialog, WindowPart part, int position);
int GetBarUpper(HWND dialog, WindowPart part);

}  // namespace base
