// The profile functions' rules, as Wine (which the tests run the updater
// under) applies them: a line is trimmed of blanks, "[name]" up to its last
// "]" starts a section, a key and its value are trimmed around the first
// "=", and a key starting with ";" is a comment. Lists are read in their own
// code page; a file with a byte order mark is not one the tool writes, and
// is read as it stands.
#include "release/profile_file.h"

#include <algorithm>
#include <vector>

#include "base/ansi_text.h"
#include "base/file_system.h"

namespace release {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a'; }

std::string TrimBlanks(const std::string& text) {
    size_t start = 0, end = text.size();
    while (start < end && IsBlank(text[start])) ++start;
    while (end > start && IsBlank(text[end - 1])) --end;
    return text.substr(start, end - start);
}

struct Section {
    std::string name;
    base::StringList lines;
};

std::vector<Section> ReadSections(const std::string& path) {
    std::vector<Section> sections(1);  // lines before any header belong to a nameless section
    std::string text;
    if (!base::ReadWholeFile(path, text)) return sections;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = TrimBlanks(text.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        const size_t close = line.rfind(']');
        if (line[0] == '[' && close != std::string::npos) {
            sections.push_back({line.substr(1, close - 1), {}});
            continue;
        }
        const size_t equals = line.find('=');
        const std::string key = TrimBlanks(line.substr(0, equals));
        if (key.empty() || key[0] == ';') continue;
        sections.back().lines.push_back(equals == std::string::npos ? key
                                                                    : key + "=" + TrimBlanks(line.substr(equals + 1)));
    }
    return sections;
}

}  // namespace

base::StringList ProfileSectionNames(const std::string& path) {
    base::StringList names;
    for (const Section& section : ReadSections(path))
        if (!section.name.empty()) names.push_back(section.name);
    return names;
}

base::StringList ProfileSectionLines(const std::string& path, const std::string& section) {
    for (const Section& found : ReadSections(path))
        if (!found.name.empty() && base::EqualsNoCase(found.name, section)) return found.lines;
    return {};
}

}  // namespace release
