#include "base/usable_path.h"

#include <cstring>
#include <vector>

#include "base/code_page.h"

namespace base {
namespace {

constexpr size_t kMaxPath = 260;  // MAX_PATH, with its terminator
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
        if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < path.size()) {
            parts.back() += path.substr(i++, 2);
        } else if (IsSeparator(c)) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; }

// The system opens a device for these names whatever follows the first dot,
// and ignores blanks before that dot.
bool IsDeviceName(const std::string& part) {
    std::u16string stem = AnsiToUtf16(part.substr(0, part.find('.')));
    while (!stem.empty() && stem.back() == u' ') stem.pop_back();
    for (char16_t& c : stem) c = UpperAscii(c);
    if (stem == u"CON" || stem == u"PRN" || stem == u"AUX" || stem == u"NUL" || stem == u"CONIN$" ||
        stem == u"CONOUT$")
        return true;
    if (stem.size() != 4 || (stem.compare(0, 3, u"COM") != 0 && stem.compare(0, 3, u"LPT") != 0)) return false;
    const char16_t digit = stem[3];
    return (digit >= u'0' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' || digit == u'\u00B3';
}

bool IsPlainPart(const std::string& part) {
    if (part.empty() || part.back() == '.' || part.back() == ' ') return false;
    return !IsDeviceName(part);
}

}  // namespace

bool IsUsablePath(const std::string& path) {
    if (path.empty() || path.size() >= kMaxPath) return false;
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
