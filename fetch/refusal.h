// Refusals of files that do not match the signed release: the status says
// what happened and an error box what the player may expect. A refusal ends
// the run's fetching: it is thrown as the run's failure.
#pragma once

#include <string>

#include "base/run_failure.h"

namespace fetch {

extern const char kTextFileMismatch[];   // "[%s] ...": the file differs from the signed release
extern const char kTextFileUnsigned[];   // "[%s] ...": the file is not part of the signed release
extern const char kTextNotInstalled[];   // "\n...": nothing unverified is installed

// Throws the refusal of `stage` with its status text and box.
[[noreturn]] void Refuse(base::RunStage stage, const std::string& status, const std::string& message);

}  // namespace fetch
