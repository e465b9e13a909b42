// The updater's own product version, from its version resource.
#pragma once

#include <windows.h>

#include <string>

namespace base {

// Product version of the running executable: words[0] = least significant
// (dwProductVersionLS), words[1] = most significant. False when the file has
// no version resource or its fixed block is not exactly VS_FIXEDFILEINFO.
bool GetOwnVersion(DWORD words[2]);
// "%u.%u.%u.%u" from the two words as GetOwnVersion stores them.
std::string FormatVersion(const DWORD words[2]);

}  // namespace base
