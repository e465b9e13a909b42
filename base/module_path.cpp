#include "base/module_path.h"

#include <windows.h>

#include "base/ansi_text.h"

namespace base {

std::string GetModulePath() {
    char buffer[MAX_PATH] = {};
    DWORD len = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) return std::string();
    return std::string(buffer, len);
}

std::string GetModuleFolder() {
    std::string path = GetModulePath();
    size_t pos = path.rfind('\\');
    return pos == std::string::npos ? path : path.substr(0, pos + 1);
}

std::string GetModuleFileNamePart() { return FileNamePart(GetModulePath()); }

}  // namespace base
