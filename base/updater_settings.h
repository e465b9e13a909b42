// The updater's own registry values under HKEY_CURRENT_USER\SOFTWARE\VANTERO\UPDATER:
// "RunOnce", a command the next run starts instead of its post-install steps,
// "InstallPath", the folder in which component registration last succeeded,
// and "ReleaseSerial", the highest serial of a signed release accepted so far.
#pragma once

#include <cstdint>
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

// "ReleaseSerial" is a REG_DWORD. Reading gives 0 when it is missing or not
// a DWORD (no release accepted yet).
uint32_t ReadReleaseSerial();
bool WriteReleaseSerial(uint32_t serial);

// Any start with arguments rewrites "RunOnce": to the "exec:" value, or to an
// empty text when no argument carries it. Fewer than two arguments: nothing
// happens and the result is false.
bool StoreExecArgument();

}  // namespace base
