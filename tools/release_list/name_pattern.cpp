#include "tools/release_list/name_pattern.h"

#include "base/ansi_text.h"

namespace release_list {
namespace {

// Classic wildcard match where neither wildcard crosses a "/".
bool WildcardMatch(const char* pattern, const char* text) {
    for (; *pattern; ++pattern, ++text) {
        if (*pattern == '*') {
            for (const char* rest = text;; ++rest) {
                if (WildcardMatch(pattern + 1, rest)) return true;
                if (*rest == '\0' || *rest == '/') return false;
            }
        }
        if (*text == '\0' || *text == '/') {
            if (*pattern != *text) return false;
            continue;
        }
        if (*pattern != '?' && *pattern != *text) return false;
    }
    return *text == '\0';
}

}  // namespace

bool MatchesPattern(const std::string& pattern, const std::string& remoteName) {
    const std::string p = base::ToLowerAnsi(pattern);
    const std::string name = base::ToLowerAnsi(remoteName);
    if (p.empty()) return false;
    const bool wildcards = p.find_first_of("*?") != std::string::npos;
    if (p.back() == '/') return name.compare(0, p.size(), p) == 0;
    if (!wildcards && name.compare(0, p.size() + 1, p + "/") == 0) return true;
    if (p.find('/') == std::string::npos) {
        const size_t slash = name.rfind('/');
        return WildcardMatch(p.c_str(), name.c_str() + (slash == std::string::npos ? 0 : slash + 1));
    }
    return WildcardMatch(p.c_str(), name.c_str());
}

}  // namespace release_list
