// The product version without Windows, from the file's own resource
// directory: the text Windows' calls give for the same file.
#include "release/file_identity.h"
#include "release/pe_version.h"

namespace release {

std::string GetProductVersionText(const std::string& path) {
    uint32_t ms = 0, ls = 0;
    if (!ReadPeProductVersionOfFile(path, ms, ls)) return std::string();
    return ProductVersionText(ms, ls);
}

}  // namespace release
