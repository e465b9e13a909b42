#include "tests/integration/install/dialog_answerer.h"

#include <cstring>

#include "res/resource.h"

namespace installtest {
namespace {

BOOL CALLBACK FindNotifyDialog(HWND window, LPARAM found) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    char className[32] = {};
    ::GetClassNameA(window, className, sizeof(className));
    if (pid == ::GetCurrentProcessId() && std::strcmp(className, "#32770") == 0 && ::IsWindowVisible(window) &&
        ::GetDlgItem(window, IDC_FILES_IN_USE) && ::GetDlgItem(window, IDC_RETRY)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

DialogAnswerer::DialogAnswerer(std::function<int(int)> choose, int maxDialogs)
    : choose_(std::move(choose)), maxDialogs_(maxDialogs), thread_([this] { Run(); }) {}

DialogAnswerer::~DialogAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> DialogAnswerer::listedTexts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
}

void DialogAnswerer::Run() {
    int index = 0;
    while (!stop_) {
        HWND dialog = nullptr;
        ::EnumWindows(&FindNotifyDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) {
            ::Sleep(50);
            continue;
        }
        char text[4096] = {};
        ::GetWindowTextA(::GetDlgItem(dialog, IDC_FILES_IN_USE), text, sizeof(text));
        {
            std::lock_guard<std::mutex> lock(mutex_);
            texts_.push_back(text);
        }
        const int button = index < maxDialogs_ ? choose_(index) : IDCANCEL;
        ++index;
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
        // Wait until this dialog is gone before looking for the next one.
        for (int i = 0; i < 200 && ::IsWindow(dialog) && !stop_; ++i) ::Sleep(25);
    }
}

}  // namespace installtest
