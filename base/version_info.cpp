#include "base/version_info.h"

namespace base {

bool ReadVersionBlock(const std::string& path, std::vector<BYTE>& block) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return false;
    block.assign(size, 0);
    return ::GetFileVersionInfoA(path.c_str(), 0, size, block.data()) != FALSE;
}

const void* QueryVersionValue(std::vector<BYTE>& block, const char* subBlock, UINT& size) {
    void* value = nullptr;
    size = 0;
    if (!::VerQueryValueA(block.data(), subBlock, &value, &size)) return nullptr;
    return value;
}

}  // namespace base
