#include "tools/release_list/list_names.h"

#include <cstring>

#include "base/ansi_text.h"
#include "base/split_string.h"
#include "base/usable_path.h"

namespace release_list {
namespace {

bool IsAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsSegmentStart(char c) { return IsAsciiAlnum(c) || c == '_'; }

bool IsSegmentChar(char c) { return IsAsciiAlnum(c) || (c != '\0' && std::strchr("._-~()+!,@", c)); }

// Characters the list format itself gives a meaning to, named in messages so
// the operator sees why a name cannot be carried.
std::string ListSyntaxProblem(const std::string& text) {
    if (text.find('|') != std::string::npos) return "contains '|', which separates the fields of a list entry";
    if (text.find('=') != std::string::npos) return "contains '=', which ends the key of a list entry";
    if (!text.empty() && (text[0] == '[' || text[0] == ';'))
        return "starts with '" + text.substr(0, 1) + "', which the list would read as a section or a comment";
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) return "contains a control character";
    }
    if (text != base::Trim(text)) return "starts or ends with white space, which the list would drop";
    return std::string();
}

std::string SegmentProblem(const std::string& segment) {
    if (segment.empty()) return "has an empty path segment";
    if (segment == "." || segment == "..") return "has a '" + segment + "' segment";
    return std::string();
}

bool HasHighBytes(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

}  // namespace

std::string CheckRemoteName(const std::string& name) {
    std::string problem = ListSyntaxProblem(name);
    if (!problem.empty()) return problem;
    if (HasHighBytes(name)) return "is not plain ASCII; the server address cannot carry it without escapes";
    base::StringList segments;
    base::SplitString(name, "/", segments);
    for (const std::string& segment : segments) {
        problem = SegmentProblem(segment);
        if (!problem.empty()) return problem;
        if (!IsSegmentStart(segment[0]))
            return "has a path segment that starts with '" + segment.substr(0, 1) +
                   "'; segments must start with a letter, digit or '_'";
        for (char c : segment) {
            if (!IsSegmentChar(c))
                return std::string("contains '") + c + "'; server names may hold letters, digits and ._-~()+!,@";
        }
    }
    // Installed at its own name unless --local says otherwise.
    if (!base::StaysBelowRoot(name))
        return "has a segment that Windows takes for a device (CON, NUL, COM1, ...) or that ends in a dot; the "
               "updater cannot install it";
    return std::string();
}

std::string CheckLocalPath(const std::string& path, unsigned ansiCodePage) {
    if (path.empty()) return "is empty";
    std::string problem = ListSyntaxProblem(path);
    if (!problem.empty()) return problem;
    if (HasHighBytes(path) && ansiCodePage != 949)
        return "holds non-ASCII characters, which the list (code page 949) can only carry when this tool runs "
               "with that code page";
    if (base::FindNoCase(path, "$system$") != std::string::npos)
        return "names the system folder; use --system for that";
    // The updater's own rule, so that the tool never writes a list it refuses.
    if (!base::StaysBelowRoot(path))
        return "must stay below the install folder: relative, without a drive, a stream, a device name (CON, NUL, "
               "COM1, ...), or a segment that is empty or ends in a dot or blank ('.' and '..' do)";
    return std::string();
}

std::string CheckSectionName(const std::string& name) {
    if (name.empty()) return "is empty";
    if (name.find(']') != std::string::npos || name.find('[') != std::string::npos)
        return "contains a bracket";
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x80)
            return "must be plain printable ASCII";
    }
    if (name != base::Trim(name)) return "starts or ends with white space";
    return std::string();
}

std::string CheckRevision(const std::string& text) {
    if (text.empty()) return "is empty";
    if (text.find('|') != std::string::npos) return "contains '|', which separates the fields of a list entry";
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            return "must be printable ASCII";
    }
    if (text != base::Trim(text)) return "starts or ends with white space, which the list would drop";
    // A value that starts with a quote loses it when the updater reads it.
    if (text[0] == '"' || text[0] == '\'') return "starts with a quote";
    return std::string();
}

std::string CheckGatewayKey(const std::string& key) {
    for (char c : key) {
        if (c == '=') return "contains '='";
        if (c >= 'A' && c <= 'Z')
            return "has upper-case letters; the updater lower-cases its option, so it could never match";
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            return "may hold only printable ASCII without blanks";
    }
    return std::string();
}

std::string LocalPathIdentity(const std::string& path) {
    return base::ToLowerAnsi(base::ReplaceAll(path, "/", "\\"));
}

}  // namespace release_list
