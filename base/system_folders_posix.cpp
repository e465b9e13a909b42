// Linux has no system folder: a "$system$" name in a list read there (the
// release tool reading a published list) resolves to nothing, and nothing on
// Linux installs into one.
#include "base/system_folders.h"

namespace base {

std::string SystemFolder() { return std::string(); }
std::string WindowsFolder() { return std::string(); }

}  // namespace base
