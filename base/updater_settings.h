// The updater's own registry values under HKEY_CURRENT_USER\SOFTWARE\VANTERO\UPDATER:
// "RunOnce", a command the next run starts instead of its post-install steps,
// and "InstallPath", the folder in which component registration last succeeded.
#pragma once

#include <string>

namespace base {

extern const char* const kUpdaterKey;  // "SOFTWARE\VANTERO\UPDATER"

// With a text the value is set (REG_SZ, stored without a terminating NUL);
// with null it is deleted. The key is created when it does not exist. True
// when the set or delete succeeded.
bool WriteRunOnce(const char* text);
bool WriteInstallPath(const char* text);
// False when the key or the value is missing. A value of size 0 gives true
// and leaves `text` unchanged. The stored type is not checked.
bool ReadRunOnce(std::string& text);
bool ReadInstallPath(std::string& text);

// Any start with arguments rewrites "RunOnce": to the "exec:" value, or to an
// empty text when no argument carries it. Fewer than two arguments: nothing
// happens and the result is false.
bool StoreExecArgument();

}  // namespace base
