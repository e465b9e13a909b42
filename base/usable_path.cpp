#include "base/usable_path.h"

#include <windows.h>

#include <cstring>

namespace base {
namespace {

constexpr size_t kMaxComponent = 255;
constexpr size_t kMaxCommandLine = 32767;

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

bool IsUsablePath(const std::string& path) {
    if (path.empty() || path.size() >= MAX_PATH) return false;
    size_t component = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        // Trail bytes of code page 949 are never below 0x41, so none of the
        // characters looked for here can be half of a Korean character.
        if (IsControl(c) || std::strchr("<>\"|?*", c)) return false;
        if (c == ':' && i != 1) return false;
        if (c == '\\' || c == '/') {
            component = 0;
        } else if (++component > kMaxComponent) {
            return false;
        }
    }
    return true;
}

bool IsUsableCommandLine(const std::string& commandLine) {
    return !commandLine.empty() && commandLine.size() <= kMaxCommandLine &&
           commandLine.find('\0') == std::string::npos;
}

}  // namespace base
