// The one way a stage of the update run fails: it throws a RunFailure that
// says which stage failed, the system's error code where one caused it, the
// status text to show, the file it is about and, for a refusal, the error box
// that explains it.
// The run's edges catch it and turn it into what the player sees and into
// the result codes the callers know; nothing inside shows a failure itself
// (the transfer layer reports its own box after a transfer's last attempt).
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace base {

enum class RunStage {
    kGateway,    // the gateway file and the version folder
    kList,       // the update list
    kSignature,  // the release's signature and its files
    kHeldFiles,  // running programs hold files to replace
    kFetch,      // the planned files
    kCopy,       // the staged files put in place
    kHandOff,    // the update helper
};

struct RunFailure {
    explicit RunFailure(RunStage stage, DWORD systemError = 0, std::string status = std::string(),
                        std::string box = std::string())
        : stage(stage), systemError(systemError), status(std::move(status)), box(std::move(box)) {}

    RunStage stage;
    DWORD systemError = 0;  // 0: no system call failed
    std::string status;     // the status text; empty: the status stays as it is
    std::string box;        // the error box; empty: none (a box was shown where it failed)
    std::string file;       // the file it is about, as the window named it; empty: none
};

}  // namespace base
