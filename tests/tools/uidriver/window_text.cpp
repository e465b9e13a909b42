#include "tests/tools/uidriver/window_text.h"

#include <algorithm>

#include "tests/tools/uidriver/json_log.h"

namespace uidriver {
namespace {

constexpr UINT kReplyTimeoutMs = 300;

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto* controls = reinterpret_cast<std::vector<ChildControl>*>(param);
    controls->push_back({child, ::GetDlgCtrlID(child), ClassOf(child), WindowText(child)});
    return TRUE;
}

}  // namespace

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &length)) {
        char quick[512] = {};
        ::GetWindowTextA(window, quick, sizeof quick);  // does not wait on another process
        return quick;
    }
    // Across processes the length may come back in characters rather than
    // bytes, which would cut double-byte texts short: leave room for both, and
    // take the text up to its terminator.
    std::string text(length * 2 + 2, '\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                               kReplyTimeoutMs, &copied))
        return std::string();
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<ChildControl> ChildControls(HWND parent) {
    std::vector<ChildControl> controls;
    ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

std::string WithoutAccelerators(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '&') out += c;
    return out;
}

std::string ControlsJson(const std::vector<ChildControl>& controls) {
    std::string json = "[";
    for (const ChildControl& c : controls) {
        if (json.size() > 1) json += ",";
        json += "{\"id\":" + std::to_string(c.id) + ",\"class\":" + JsonString(c.cls) +
                ",\"text\":" + JsonString(c.text) + "}";
    }
    return json + "]";
}

}  // namespace uidriver
