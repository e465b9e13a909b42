#include "tests/integration/transfer/transfer_test_support.h"

#include <stdexcept>

#include "base/window_protocol.h"

namespace transfertest {

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>((state >> 16) ^ i);
    }
    return bytes;
}

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    return ::testing::AssertionFailure() << "bytes differ: length " << actual.size() << " instead of "
                                         << expected.size() << ", first difference at offset " << at;
}

namespace {
const char kClassName[] = "ArkenfelProgressRecorder";
}

ProgressRecorder::ProgressRecorder() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &ProgressRecorder::Procedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc);  // a second registration fails harmlessly
    window_ = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
    if (!window_) throw std::runtime_error("cannot create the progress window");
}

ProgressRecorder::~ProgressRecorder() { ::DestroyWindow(window_); }

LRESULT CALLBACK ProgressRecorder::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProgressRecorder*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == UM_TRANSFER_PROGRESS && self) {
        auto* record = reinterpret_cast<const transfer::TransferProgress*>(lParam);
        self->reports_.push_back({*record, record});
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace transfertest
