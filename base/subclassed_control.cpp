#include "base/subclassed_control.h"

namespace base {
namespace {

// The window property that leads from a subclassed window to its object.
constexpr char kOwnerProperty[] = "Arkenfel.SubclassedControl";

}  // namespace

SubclassedControl::~SubclassedControl() { Unsubclass(); }

bool SubclassedControl::Subclass(HWND window) {
    if (!window || hwnd_) return false;
    if (!::SetPropA(window, kOwnerProperty, this)) return false;
    hwnd_ = window;
    original_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedControl::SubclassProc)));
    return true;
}

void SubclassedControl::Unsubclass() {
    if (!hwnd_) return;
    ::SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    ::RemovePropA(hwnd_, kOwnerProperty);
    hwnd_ = nullptr;
}

LRESULT SubclassedControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallOriginal(message, wParam, lParam);
}

LRESULT SubclassedControl::CallOriginal(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcA(original_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK SubclassedControl::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    auto* control = static_cast<SubclassedControl*>(::GetPropA(window, kOwnerProperty));
    if (!control) return ::DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The window is going: hand it back before its last message.
        const WNDPROC original = control->original_;
        control->Unsubclass();
        return ::CallWindowProcA(original, window, message, wParam, lParam);
    }
    return control->WindowProc(message, wParam, lParam);
}

}  // namespace base
