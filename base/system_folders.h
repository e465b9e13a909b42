// The system's own folders, where only administrators can write: programs
// and DLLs of the system are taken from there by full path.
#pragma once

#include <string>

namespace base {

// GetSystemDirectoryA, without a trailing "\"; empty when it cannot be read.
std::string SystemFolder();
// GetWindowsDirectoryA, without a trailing "\"; empty when it cannot be read.
std::string WindowsFolder();

}  // namespace base
