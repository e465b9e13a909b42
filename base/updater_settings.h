// The updater's per-user value under HKEY_CURRENT_USER\SOFTWARE\VANTERO\UPDATER:
// "InstallPath", the folder in which component registration last succeeded.
// Any program of the user can write it, so it decides nothing more than
// whether the components are registered again. The values that steer what
// the elevated updater runs or accepts are machine-wide (machine_settings.h).
#pragma once

#include <string>

namespace base {

// With a text the value is set (REG_SZ, stored without a terminating NUL);
// with null it is deleted. The key is created when it does not exist. True
// when the set or delete succeeded.
bool WriteInstallPath(const char* text);
// False when the key or the value is missing. A value of size 0 gives true
// and leaves `text` unchanged. The stored type is not checked.
bool ReadInstallPath(std::string& text);

}  // namespace base
