// Refusals of files that do not match the signed release: the status label
// says what happened and an error box says what the player may expect.
#pragma once

#include <string>

#include "base/run_report.h"

namespace fetch {

extern const char kTextFileMismatch[];   // "[%s] ...": the file differs from the signed release
extern const char kTextFileUnsigned[];   // "[%s] ...": the file is not part of the signed release
extern const char kTextNotInstalled[];   // "\n...": nothing unverified is installed

// Reports `status` as the status text, shows `message` in an error box and
// gives false, for the caller to return.
bool Refuse(base::RunReport& report, const std::string& status, const std::string& message);

}  // namespace fetch
