#include "tests/server/json_line.h"

#include <cstdio>
#include <cstdlib>

namespace testserver {
namespace {

void SkipBlanks(const std::string& s, size_t& i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
}

bool ReadString(const std::string& s, size_t& i, std::string& out) {
    if (i >= s.size() || s[i] != '"') return false;
    out.clear();
    for (++i; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            ++i;
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= s.size()) return false;
        switch (s[i]) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'u': {
                if (i + 4 >= s.size()) return false;
                const unsigned long code = std::strtoul(s.substr(i + 1, 4).c_str(), nullptr, 16);
                out += static_cast<char>(code & 0xFF);
                i += 4;
                break;
            }
            default: out += s[i];
        }
    }
    return false;
}

bool ReadScalar(const std::string& s, size_t& i, std::string& out) {
    const size_t start = i;
    while (i < s.size() && s[i] != ',' && s[i] != '}') ++i;
    out = s.substr(start, i - start);
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
    return !out.empty();
}

}  // namespace

bool ParseJsonLine(const std::string& line, std::map<std::string, std::string>& fields) {
    size_t i = 0;
    SkipBlanks(line, i);
    if (i >= line.size() || line[i++] != '{') return false;
    for (;;) {
        SkipBlanks(line, i);
        if (i < line.size() && line[i] == '}') return true;
        std::string name, value;
        if (!ReadString(line, i, name)) return false;
        SkipBlanks(line, i);
        if (i >= line.size() || line[i++] != ':') return false;
        SkipBlanks(line, i);
        const bool ok = (i < line.size() && line[i] == '"') ? ReadString(line, i, value) : ReadScalar(line, i, value);
        if (!ok) return false;
        fields[name] = value;
        SkipBlanks(line, i);
        if (i < line.size() && line[i] == ',') ++i;
    }
}

std::string JsonQuote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c > 0x7E) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace testserver
