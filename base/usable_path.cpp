#include "base/usable_path.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace base {
namespace {

constexpr size_t kMaxComponent = 255;
constexpr size_t kMaxCommandLine = 32767;

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The parts of a path between separators, each double-byte character kept
// whole: a trail byte is never taken for a separator.
std::vector<std::string> PathParts(const std::string& path) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (::IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
            parts.back() += path.substr(i++, 2);
        } else if (IsSeparator(c)) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

std::wstring Wide(const std::string& ansi) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
    if (length > 0) ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], length);
    return wide;
}

wchar_t UpperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; }

// The system opens a device for these names whatever follows the first dot,
// and ignores blanks before that dot.
bool IsDeviceName(const std::string& part) {
    std::wstring stem = Wide(part.substr(0, part.find('.')));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (wchar_t& c : stem) c = UpperAscii(c);
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
        stem == L"CONOUT$")
        return true;
    if (stem.size() != 4 || (stem.compare(0, 3, L"COM") != 0 && stem.compare(0, 3, L"LPT") != 0)) return false;
    const wchar_t digit = stem[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

bool IsPlainPart(const std::string& part) {
    if (part.empty() || part.back() == '.' || part.back() == ' ') return false;
    return !IsDeviceName(part);
}

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
        if (IsSeparator(c)) {
            component = 0;
        } else if (++component > kMaxComponent) {
            return false;
        }
    }
    return true;
}

bool StaysBelowRoot(const std::string& relativePath) {
    // A colon is never a trail byte: it ends a drive or starts a stream.
    if (relativePath.empty() || relativePath.find(':') != std::string::npos) return false;
    for (const std::string& part : PathParts(relativePath))
        if (!IsPlainPart(part)) return false;
    return true;
}

bool IsUsableCommandLine(const std::string& commandLine) {
    return !commandLine.empty() && commandLine.size() <= kMaxCommandLine &&
           commandLine.find('\0') == std::string::npos;
}

std::string ProgramOfCommandLine(const std::string& commandLine) {
    if (!commandLine.empty() && commandLine[0] == '"') return commandLine.substr(1, commandLine.find('"', 1) - 1);
    return commandLine.substr(0, commandLine.find_first_of(" \t"));
}

bool CommandStaysBelowRoot(const std::string& commandLine) {
    if (!StaysBelowRoot(ProgramOfCommandLine(commandLine))) return false;
    for (const std::string& part : PathParts(commandLine))
        if (part == "..") return false;
    return true;
}

}  // namespace base
