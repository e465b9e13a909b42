// Creating the missing folders of a path.
#pragma once

#include <string>

namespace transfer {

// Creates every missing folder of `path` from the left. Non-zero when the
// folder exists afterwards. A drive prefix such as "C:" counts as present; a
// path that begins with a backslash fails at its empty first part.
int CreateDirectories(const std::string& path);

}  // namespace transfer
