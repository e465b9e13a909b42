#include "base/window_protocol.h"

#include <commctrl.h>

#include <vector>

namespace base {
namespace {

HWND Control(HWND dialog, int id) { return dialog ? ::GetDlgItem(dialog, id) : nullptr; }

}  // namespace

void SetControlText(HWND dialog, int id, const std::string& text) {
    if (HWND control = Control(dialog, id)) ::SetWindowTextA(control, text.c_str());
}

std::string GetControlText(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    if (!control) return std::string();
    const int length = ::GetWindowTextLengthA(control);
    std::vector<char> buffer(static_cast<size_t>(length) + 2, '\0');
    const int copied = ::GetWindowTextA(control, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), copied > 0 ? copied : 0);
}

void SetBarRange(HWND dialog, int id, int lower, int upper) {
    if (HWND control = Control(dialog, id)) ::SendMessageA(control, PBM_SETRANGE32, lower, upper);
}

void SetBarPos(HWND dialog, int id, int position) {
    if (HWND control = Control(dialog, id)) ::SendMessageA(control, PBM_SETPOS, position, 0);
}

int GetBarUpper(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    return control ? static_cast<int>(::SendMessageA(control, PBM_GETRANGE, FALSE, 0)) : 0;
}

}  // namespace base
