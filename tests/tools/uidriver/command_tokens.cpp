#include "tests/tools/uidriver/command_tokens.h"

namespace uidriver {

std::vector<CommandToken> SplitCommandLine(const std::string& raw) {
    std::vector<CommandToken> tokens;
    size_t i = 0;
    const size_t n = raw.size();
    while (true) {
        while (i < n && (raw[i] == ' ' || raw[i] == '\t')) ++i;
        if (i >= n) break;
        CommandToken token;
        bool inQuotes = false;
        while (i < n && (inQuotes || (raw[i] != ' ' && raw[i] != '\t'))) {
            size_t slashes = 0;
            while (i < n && raw[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < n && raw[i] == '"') {
                token.text.append(slashes / 2, '\\');
                if (slashes % 2) {
                    token.text += '"';
                } else {
                    inQuotes = !inQuotes;
                    token.quoted = true;
                }
                ++i;
            } else {
                token.text.append(slashes, '\\');
                if (i < n && (inQuotes || (raw[i] != ' ' && raw[i] != '\t'))) token.text += raw[i++];
            }
        }
        token.end = i;
        tokens.push_back(token);
    }
    return tokens;
}

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    size_t slashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

}  // namespace uidriver
