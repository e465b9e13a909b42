// Refusals of files that do not match the signed release: the status label
// says what happened and an error box says what the player may expect.
#pragma once

#include <windows.h>

#include <string>

namespace fetch {

extern const char kTextFileMismatch[];   // "[%s] ...": the file differs from the signed release
extern const char kTextFileUnsigned[];   // "[%s] ...": the file is not part of the signed release
extern const char kTextNotInstalled[];   // "\n...": nothing unverified is installed

// Sets the status label of `window`, shows `message` in an error box and
// gives false, for the caller to return.
bool Refuse(HWND window, const std::string& status, const std::string& message);

}  // namespace fetch
