#include "transfer/directories.h"

#include "base/ansi_text.h"
#include "base/link_guard.h"

namespace transfer {

int CreateDirectories(const std::string& path) {
    const std::string folder = base::Trim(path);
    // A path without a drive or server of its own has no root to start from.
    if (folder.empty() || (folder[0] == '\\' && folder.compare(0, 2, "\\\\") != 0)) return 0;
    return base::MakeFolders(folder) ? 1 : 0;
}

}  // namespace transfer
