#include "tests/tools/uidriver/window_watch.h"

#include <vector>

#include "tests/tools/uidriver/screenshot.h"
#include "tests/tools/uidriver/window_text.h"

namespace uidriver {
namespace {

struct Found {
    HWND hwnd;
    DWORD pid;
};

struct EnumContext {
    const ProcessTree* tree;
    std::vector<Found> windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* context = reinterpret_cast<EnumContext*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (::IsWindowVisible(window) && context->tree->IsLive(pid)) context->windows.push_back({window, pid});
    return TRUE;
}

UINT_PTR Id(HWND window) { return reinterpret_cast<UINT_PTR>(window); }

}  // namespace

void WindowWatch::Poll() {
    EnumContext context{&tree_, {}};
    ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&context));

    std::map<HWND, Known> present;
    for (const Found& f : context.windows) {
        const std::string cls = ClassOf(f.hwnd);
        const std::string title = WindowText(f.hwnd);
        present[f.hwnd] = {f.pid, cls};
        if (!windows_.count(f.hwnd))
            log_.Write(JsonLine("window").Number("hwnd", Id(f.hwnd)).Number("pid", f.pid).Text("class", cls)
                           .Text("title", title));
        // Read before answering: an answered box goes away at once.
        ReadControls(f.hwnd, title, cls);
        TakeScreenshots(f.hwnd, title);
        if (cls == "#32770") answerer_.Visit(f.hwnd, f.pid);
    }
    for (const auto& [hwnd, known] : windows_) {
        if (present.count(hwnd)) continue;
        log_.Write(JsonLine("window-gone").Number("hwnd", Id(hwnd)).Number("pid", known.pid));
        answerer_.Forget(hwnd);
        for (auto it = controlTexts_.begin(); it != controlTexts_.end();)
            it = it->first.first == hwnd ? controlTexts_.erase(it) : std::next(it);
    }
    windows_ = std::move(present);
}

void WindowWatch::ReadControls(HWND window, const std::string& title, const std::string& cls) {
    for (const ReadRule& rule : options_.reads) {
        if (rule.window != "*" && rule.window != title && rule.window != cls) continue;
        for (int id : rule.ids) {
            HWND control = ::GetDlgItem(window, id);
            if (!control) continue;
            const std::string text = WindowText(control);
            auto key = std::make_pair(window, id);
            auto it = controlTexts_.find(key);
            if (it != controlTexts_.end() && it->second == text) continue;
            controlTexts_[key] = text;
            log_.Write(JsonLine("control").Number("hwnd", Id(window)).Text("window", title).Number("id", id)
                           .Text("text", text));
        }
    }
}

void WindowWatch::TakeScreenshots(HWND window, const std::string& title) {
    std::vector<ChildControl> controls;
    bool controlsRead = false;
    for (ScreenshotSpec& shot : options_.screenshots) {
        if (shot.taken) continue;
        bool due = shot.when.empty() || title.find(shot.when) != std::string::npos;
        // The texts this poll has just logged count too: a label that changes
        // between the two reads must not leave a logged text without its picture.
        for (const auto& [key, text] : controlTexts_)
            if (!due && key.first == window && text.find(shot.when) != std::string::npos) due = true;
        if (!due) {
            if (!controlsRead) controls = ChildControls(window);
            controlsRead = true;
            for (const ChildControl& c : controls)
                if (c.text.find(shot.when) != std::string::npos) due = true;
        }
        if (!due) continue;
        int width = 0, height = 0;
        const bool saved = SaveWindowBitmap(window, shot.file, width, height);
        log_.Write(JsonLine("screenshot").Number("hwnd", Id(window)).Text("file", shot.file).Bool("ok", saved)
                       .Number("width", width).Number("height", height));
        shot.taken = true;  // one attempt per picture: a failure is logged, not retried forever
    }
}

}  // namespace uidriver
