// The main window's parts as the window names them on itself, and the labels
// and bars written through those names. Only the window and its report use
// them; the stages of the run report through base/run_report.h.
#pragma once

#include <windows.h>

#include <string>

#include "base/window_protocol.h"

namespace app {

// The window says which of its controls is `part` (a window property, read
// without a message); it forgets them all before it is destroyed.
void NameWindowPart(HWND window, WindowPart part, HWND control);
void ForgetWindowParts(HWND window);

void SetControlText(HWND dialog, WindowPart part, const std::string& text);
// Progress bars: the skinned bar keeps its own range and position and takes
// them from these messages (PBM_SETRANGE32, PBM_SETPOS). The window's parts
// are only ever written: nothing of the run reads them back.
void SetBarRange(HWND dialog, WindowPart part, int lower, int upper);
void SetBarPos(HWND dialog, WindowPart part, int position);

}  // namespace app
