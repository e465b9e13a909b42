#include "base/message_box.h"

#include <atomic>

#include "base/ansi_text.h"
#include "base/module_path.h"

namespace base {
namespace {

std::atomic<HWND> g_mainWindow{nullptr};
MessageBoxHandler g_handler;

// The program's name without its extension, as the title of its boxes.
std::string ApplicationTitle() {
    std::string name = GetModuleFileNamePart();
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

void SetMainWindow(HWND window) { g_mainWindow = window; }
HWND GetMainWindow() { return g_mainWindow; }

void SetMessageBoxHandler(MessageBoxHandler handler) { g_handler = std::move(handler); }

int ShowMessageBox(const std::string& text, UINT type) {
    if (g_handler) return g_handler(text, type);
    HWND owner = g_mainWindow;
    if (owner && !::IsWindow(owner)) owner = nullptr;
    return ::MessageBoxA(owner, text.c_str(), ApplicationTitle().c_str(), type);
}

int ShowErrorBox(const std::string& text) {
    HWND main = g_mainWindow;
    if (main && ::IsWindow(main)) ::SetForegroundWindow(main);
    return ShowMessageBox(text, kErrorBoxType);
}

}  // namespace base
