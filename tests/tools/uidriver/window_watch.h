// Watches the top-level windows of the tracked processes: logs them as they
// come and go, hands dialogs to the answerer, logs the controls named by
// --read whenever their text changes, and takes the --screenshot pictures.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "tests/tools/uidriver/dialog_answerer.h"
#include "tests/tools/uidriver/driver_options.h"
#include "tests/tools/uidriver/json_log.h"
#include "tests/tools/uidriver/process_tree.h"

namespace uidriver {

class WindowWatch {
public:
    WindowWatch(JsonLog& log, Options& options, const ProcessTree& tree)
        : log_(log), options_(options), tree_(tree), answerer_(log, options) {}
    void Poll();

private:
    struct Known {
        DWORD pid;
        std::string cls;
    };
    void ReadControls(HWND window, const std::string& title, const std::string& cls);
    void TakeScreenshots(HWND window, const std::string& title);

    JsonLog& log_;
    Options& options_;
    const ProcessTree& tree_;
    DialogAnswerer answerer_;
    std::map<HWND, Known> windows_;
    std::map<std::pair<HWND, int>, std::string> controlTexts_;
};

}  // namespace uidriver
