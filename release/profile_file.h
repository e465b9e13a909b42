// An INI file read the way Windows' profile functions read it, which is how
// the updater reads its lists: on Windows through those functions
// (profile_file_windows.cpp), on Linux by the same rules
// (profile_file_posix.cpp), for the release tool reading a published list.
#pragma once

#include <string>

#include "base/split_string.h"

namespace release {

// The section names in file order; empty when the file cannot be read.
base::StringList ProfileSectionNames(const std::string& path);
// The lines of the first section named `section` (case aside), each trimmed,
// empty ones left out.
base::StringList ProfileSectionLines(const std::string& path, const std::string& section);

}  // namespace release
