// The marker file's name, by Windows' own reading of a file's extension.
#include <windows.h>
#include <shlwapi.h>

#include "release/staging_layout.h"

namespace release {

std::string MarkerPath(const std::string& target) {
    const char* extension = ::PathFindExtensionA(target.c_str());
    return target.substr(0, static_cast<size_t>(extension - target.c_str())) + ".$ver$";
}

}  // namespace release
