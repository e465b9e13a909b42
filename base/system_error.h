// The platform's own words for an error code.
#pragma once

#include <windows.h>

#include <string>

namespace base {

// FormatMessage text for `code`, from the system or from `module` (wininet.dll
// for WinINet codes), trailing line ends removed. Empty when none is known.
std::string SystemErrorText(DWORD code, HMODULE module = nullptr);

}  // namespace base
