#include "tests/unit/discovery/recording_window.h"

#include <commctrl.h>

#include "base/window_protocol.h"

namespace testenv {
namespace {

const char kClassName[] = "DiscoveryRecordingWindow";
const char kOwnerProp[] = "RecordingWindowOwner";
const char kBarProcProp[] = "RecordingBarProc";

RecordingWindow* Owner(HWND window) { return static_cast<RecordingWindow*>(::GetPropA(window, kOwnerProp)); }

}  // namespace

RecordingWindow::RecordingWindow() : ready_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] {
        Create();
        ::SetEvent(ready_);
        if (!hwnd_) return;
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    });
    ::WaitForSingleObject(ready_, 10000);
}

void RecordingWindow::Create() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    ::RegisterClassA(&wc);

    hwnd_ = ::CreateWindowA(kClassName, "discovery test", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                            wc.hInstance, nullptr);
    ::SetPropA(hwnd_, kOwnerProp, this);
    // Each control's id is the number of the part it stands for.
    for (WindowPart id : {kFileNameLabel, kFileInfoLabel, kStatusLabel, kSummaryLabel})
        base::NameWindowPart(hwnd_, id,
                             ::CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 100, 12, hwnd_,
                                             reinterpret_cast<HMENU>(INT_PTR(id)), wc.hInstance, nullptr));
    for (WindowPart id : {kFileProgressBar, kTotalProgressBar}) {
        HWND bar = ::CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 100, 14, hwnd_,
                                   reinterpret_cast<HMENU>(INT_PTR(id)), wc.hInstance, nullptr);
        base::NameWindowPart(hwnd_, id, bar);
        ::SetPropA(bar, kOwnerProp, this);
        ::SetPropA(bar, kBarProcProp,
                   reinterpret_cast<HANDLE>(::SetWindowLongPtrA(bar, GWLP_WNDPROC, LONG_PTR(BarProc))));
    }
}

RecordingWindow::~RecordingWindow() {
    if (hwnd_) ::SendMessageA(hwnd_, WM_CLOSE, 0, 0);
    thread_.join();
    ::CloseHandle(ready_);
}

std::string RecordingWindow::Text(WindowPart part) const { return base::GetControlText(hwnd_, part); }

std::vector<BarEvent> RecordingWindow::BarEvents(int id) const {
    std::vector<BarEvent> events;
    for (const BarEvent& event : barEvents)
        if (event.id == id) events.push_back(event);
    return events;
}

LRESULT CALLBACK RecordingWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == UM_TRANSFER_PROGRESS) {
        if (RecordingWindow* owner = Owner(window))
            if (lParam) owner->reports.push_back(*reinterpret_cast<transfer::TransferProgress*>(lParam));
        return 0;
    }
    if (message == WM_CLOSE) {
        ::DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        base::ForgetWindowParts(window);
        ::PostQuitMessage(0);
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK RecordingWindow::BarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    RecordingWindow* owner = Owner(bar);
    const int id = ::GetDlgCtrlID(bar);
    if (owner && message == PBM_SETRANGE32) owner->barEvents.push_back({id, true, static_cast<int>(lParam)});
    if (owner && message == PBM_SETPOS) owner->barEvents.push_back({id, false, static_cast<int>(wParam)});
    auto original = reinterpret_cast<WNDPROC>(::GetPropA(bar, kBarProcProp));
    return ::CallWindowProcA(original, bar, message, wParam, lParam);
}

}  // namespace testenv
