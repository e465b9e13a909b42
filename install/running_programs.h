// Making sure no running program holds the files about to be replaced. A
// file is in use when a running process has it loaded as a module, or when it
// cannot be opened exclusively. While files are in use the user is shown
// their paths and may close the programs and retry, or cancel.
#pragma once

#include <string>

#include "base/run_report.h"
#include "base/split_string.h"

namespace install {

// True when opening `path` exclusively for reading and writing fails with
// access denied, a sharing violation or a lock violation. A file that does not
// exist is not locked.
bool IsFileLocked(const std::string& path);

// The retry dialog, modal on the caller's thread: lists the files and gives
// true for "retry". The window's report asks with it.
bool AskWithRetryDialog(const base::StringList& inUse);

// Count of files still in use when it returns: 0 = all free (possibly after
// retries); >0 = the player gave up (the report's RetryHeldFiles gave false).
int WaitForFilesFree(const base::StringList& files, base::RunReport& report);

}  // namespace install
