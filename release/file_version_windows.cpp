// The product version as Windows reads it, which is what the updater compares.
#include <cstring>
#include <vector>

#include "base/version_info.h"
#include "release/file_identity.h"
#include "release/pe_version.h"

namespace release {

bool ReadFixedFileInfo(const std::string& path, VS_FIXEDFILEINFO& info) {
    std::vector<BYTE> block;
    if (!base::ReadVersionBlock(path, block)) return false;
    UINT fixedSize = 0;
    const void* fixed = base::QueryVersionValue(block, "\\", fixedSize);
    if (!fixed || fixedSize < sizeof(info)) return false;
    std::memcpy(&info, fixed, sizeof(info));
    return true;
}

std::string GetProductVersionText(const std::string& path) {
    VS_FIXEDFILEINFO info = {};
    if (!ReadFixedFileInfo(path, info)) return std::string();
    return ProductVersionText(info.dwProductVersionMS, info.dwProductVersionLS);
}

}  // namespace release
