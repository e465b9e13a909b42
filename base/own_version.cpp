#include "base/own_version.h"

#include <vector>

#include "base/ansi_text.h"
#include "base/module_path.h"
#include "base/version_info.h"

namespace base {

bool GetOwnVersion(DWORD words[2]) {
    std::vector<BYTE> block;
    if (!ReadVersionBlock(GetModulePath(), block)) return false;
    UINT infoSize = 0;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(QueryVersionValue(block, "\\", infoSize));
    if (!info || infoSize != sizeof(VS_FIXEDFILEINFO)) return false;
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
