#include "base/own_version.h"

#include <vector>

#include "base/ansi_text.h"
#include "base/module_path.h"

namespace base {

bool GetOwnVersion(DWORD words[2]) {
    const std::string path = GetModulePath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &infoSize)) return false;
    if (infoSize != sizeof(VS_FIXEDFILEINFO)) return false;
    words[0] = info->dwProductVersionLS;
    words[1] = info->dwProductVersionMS;
    return true;
}

std::string FormatVersion(const DWORD words[2]) {
    return FormatText("%u.%u.%u.%u", static_cast<unsigned>(HIWORD(words[1])),
                      static_cast<unsigned>(LOWORD(words[1])), static_cast<unsigned>(HIWORD(words[0])),
                      static_cast<unsigned>(LOWORD(words[0])));
}

}  // namespace base
