// Where the running executable lives. Its folder is the install folder.
#pragma once

#include <string>

namespace base {

// Full path of the running executable; empty on failure.
std::string GetModulePath();
// The path cut after its last backslash, keeping the backslash; the whole path
// when it has none; empty when the path cannot be obtained.
std::string GetModuleFolder();
// The executable's file name (text after the last backslash).
std::string GetModuleFileNamePart();

}  // namespace base
