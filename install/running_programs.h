// Making sure no running program holds the files about to be replaced. A
// file is in use when a running process has it loaded as a module, or when it
// cannot be opened exclusively. While files are in use the user is shown
// their paths and may close the programs and retry, or cancel.
#pragma once

#include <string>

#include "base/split_string.h"

namespace install {

// True when opening `path` exclusively for reading and writing fails with
// access denied, a sharing violation or a lock violation. A file that does not
// exist is not locked.
bool IsFileLocked(const std::string& path);

// Count of files still in use when it returns: 0 = all free (possibly after
// retries); >0 = the user cancelled the retry dialog.
int WaitForFilesFree(const base::StringList& files);
// WaitForFilesFree on a one-item list == 0.
bool WaitForFileFree(const std::string& path);

}  // namespace install
