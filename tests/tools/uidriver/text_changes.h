// Every text the followed programs set, as they set it: a global hook
// (uidriver_hook.dll) appends each WM_SETTEXT to a file in the followed
// processes, and this side merges that file into the log as "settext" events.
#pragma once

#include <windows.h>

#include <string>

#include "base/unique_handle.h"
#include "tests/tools/uidriver/json_log.h"

namespace uidriver {

class TextChanges {
public:
    explicit TextChanges(JsonLog& log) : log_(log) {}
    ~TextChanges();
    TextChanges(const TextChanges&) = delete;
    TextChanges& operator=(const TextChanges&) = delete;

    // Before the program starts: names `file` in the environment it will
    // inherit and installs the hook. A failure is logged; the run goes on.
    void Begin(const std::string& file);
    // Once the program runs: the driver itself needs no recording.
    void ProgramStarted();
    // Logs the lines added since the last call.
    void Poll();
    // Removes the hook and logs what is left.
    void End();

private:
    JsonLog& log_;
    std::string file_;
    unsigned long long read_ = 0;  // bytes of the file already logged
    std::string partial_;          // a line still being written
    HHOOK hook_ = nullptr;
    base::UniqueModule module_;
};

}  // namespace uidriver
