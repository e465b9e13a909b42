#include "base/message_box.h"

#include <atomic>

#include "base/ansi_text.h"
#include "base/module_path.h"

namespace base {
namespace {

// The system's ANSI box converts its text into a counted string whose byte
// length is 16-bit: from 32 KiB on the conversion fails, and Wine then shows
// and frees an uninitialised string, which can kill the program after the
// box. Boxes stay far below that.
constexpr size_t kEchoLimit = 300;
constexpr size_t kBoxTextLimit = 4096;
const char kCutMark[] = " ...";

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

std::string EchoInBox(const std::string& text) { return CutText(text, kEchoLimit, kCutMark); }

int ShowMessageBox(const std::string& fullText, UINT type) {
    const std::string text = CutText(fullText, kBoxTextLimit, kCutMark);
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
