#include "transfer/directories.h"

#include <windows.h>
#include <shlwapi.h>

#include "base/ansi_text.h"

namespace transfer {

int CreateDirectories(const std::string& path) {
    std::string folder = base::Trim(path);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    if (::PathIsDirectoryA(folder.c_str())) return 1;
    // CharNextA steps over double-byte characters, so a trail byte is never
    // taken for a separator in code pages where that can happen.
    for (const char* p = folder.c_str(); *p; p = ::CharNextA(p)) {
        if (*p != '\\') continue;
        const std::string prefix(folder.c_str(), p);
        if (::PathIsDirectoryA(prefix.c_str())) continue;
        if (!::CreateDirectoryA(prefix.c_str(), nullptr)) return 0;
    }
    return ::PathIsDirectoryA(folder.c_str()) ? 1 : 0;
}

}  // namespace transfer
