// The main window's parts found through the names the window gives them, and
// the labels and bars written through them.
#include "app/window_parts.h"

#include <commctrl.h>


namespace app {
namespace {

const char* const kPartNames[kWindowPartCount] = {
    "Arkenfel.FileProgressBar", "Arkenfel.TotalProgressBar", "Arkenfel.FileNameLabel",
    "Arkenfel.FileInfoLabel",   "Arkenfel.StatusLabel",      "Arkenfel.SummaryLabel",
};

HWND Control(HWND dialog, WindowPart part) {
    return dialog ? static_cast<HWND>(::GetPropA(dialog, kPartNames[part])) : nullptr;
}

}  // namespace

void NameWindowPart(HWND window, WindowPart part, HWND control) { ::SetPropA(window, kPartNames[part], control); }

void ForgetWindowParts(HWND window) {
    for (const char* name : kPartNames) ::RemovePropA(window, name);
}

void SetControlText(HWND dialog, WindowPart part, const std::string& text) {
    if (HWND control = Control(dialog, part)) ::SetWindowTextA(control, text.c_str());
}

void SetBarRange(HWND dialog, WindowPart part, int lower, int upper) {
    if (HWND control = Control(dialog, part)) ::SendMessageA(control, PBM_SETRANGE32, lower, upper);
}

void SetBarPos(HWND dialog, WindowPart part, int position) {
    if (HWND control = Control(dialog, part)) ::SendMessageA(control, PBM_SETPOS, position, 0);
}

}  // namespace app
