#include "transfer/directories.h"

#include <windows.h>
#include <shlwapi.h>

#include "base/ansi_text.h"

namespace transfer {

int CreateDirectories(const std::string& path) {
    std::string folder = base::Trim(path);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    if (::PathIsDirectoryA(folder.c_str())) return 1;
    // Walk the backslashes from the left; byte-wise is safe because a
    // backslash byte (0x5C) can be a trail byte in code page 949 only after
    // a lead byte, which CharNextA steps over.
    for (const char* p = folder.c_str(); *p; p = ::CharNextA(p)) {
        if (*p != '\\') continue;
        const std::string prefix(folder.c_str(), p);
        if (::PathIsDirectoryA(prefix.c_str())) continue;
        if (!::CreateDirectoryA(prefix.c_str(), nullptr)) return 0;
    }
    return ::PathIsDirectoryA(folder.c_str()) ? 1 : 0;
}

}  // namespace transfer
