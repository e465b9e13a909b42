// Starting the program again: its path alone, quoted when it holds a blank,
// in a 260-character command line, with the path as the application name.
#include <cstdio>
#include <cstring>

#include "base/unique_handle.h"
#include "helper/helper_box.h"
#include "helper/update_helper.h"

namespace helper {
namespace {

constexpr size_t kCommandLineSize = 260;

// Builds the command line into `out`; false when it does not fit.
bool BuildCommandLine(const char* path, char (&out)[kCommandLineSize]) {
    const bool quote = std::strchr(path, ' ') != nullptr;
    const int written = std::snprintf(out, sizeof out, quote ? "\"%s\"" : "%s", path);
    return written >= 0 && static_cast<size_t>(written) < sizeof out;
}

}  // namespace

bool CheckLaunchablePath(const char* path) {
    char commandLine[kCommandLineSize];
    if (BuildCommandLine(path, commandLine)) return true;
    ShowHelperBox("%s\n경로가 너무 길어 실행할 수 없습니다!", path);
    return false;
}

int RelaunchProgram(const char* path) {
    if (!CheckLaunchablePath(path)) return 0;
    char commandLine[kCommandLineSize];
    BuildCommandLine(path, commandLine);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // The path names the program itself, so no search can pick another one.
    if (!::CreateProcessA(path, commandLine, nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                          nullptr, nullptr, &startup, &started)) {
        ShowHelperBox("%s(을)를 실행할 수 없습니다!\nError Code : %u", commandLine,
                      static_cast<unsigned>(::GetLastError()));
        return 0;
    }
    // The program runs on its own; the helper does not wait for it.
    base::UniqueKernelHandle process(started.hProcess);
    base::UniqueKernelHandle thread(started.hThread);
    return 1;
}

}  // namespace helper
