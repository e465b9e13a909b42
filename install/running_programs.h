// Making sure no running program holds the files about to be replaced. A
// file is in use when a running process has it loaded as a module, or when it
// cannot be opened exclusively. While files are in use the user is shown
// their paths and may close the programs and retry, or cancel.
#pragma once

#include <functional>
#include <string>

#include "base/split_string.h"

namespace install {

// True when opening `path` exclusively for reading and writing fails with
// access denied, a sharing violation or a lock violation. A file that does not
// exist is not locked.
bool IsFileLocked(const std::string& path);

// Asked with the files still in use: true to look again, false to give up.
using AskToRetry = std::function<bool(const base::StringList& inUse)>;
// The retry dialog: lists the files and gives true for "retry".
bool AskWithRetryDialog(const base::StringList& inUse);

// Count of files still in use when it returns: 0 = all free (possibly after
// retries); >0 = the user cancelled (`ask` gave false).
int WaitForFilesFree(const base::StringList& files, const AskToRetry& ask = AskWithRetryDialog);
// WaitForFilesFree on a one-item list == 0.
bool WaitForFileFree(const std::string& path);

}  // namespace install
