#include "tests/support/message_window.h"

#include <stdexcept>

namespace testenv {
namespace {
const char kClassName[] = "ArkenfelTestMessageWindow";
}  // namespace

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler)) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &MessageWindow::Procedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc);  // a second registration fails harmlessly
    hwnd_ = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
    if (!hwnd_) throw std::runtime_error("cannot create the test's message window");
}

MessageWindow::~MessageWindow() { ::DestroyWindow(hwnd_); }

LRESULT CALLBACK MessageWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && self->handler_(message, wParam, lParam)) return 0;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace testenv
