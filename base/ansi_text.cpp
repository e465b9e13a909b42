#include "base/ansi_text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace base {
namespace {

template <typename Map>
std::string MapAsciiLetters(const std::string& text, Map map) {
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c) && i + 1 < out.size()) {
            ++i;  // the trail byte may look like an ASCII letter: leave it alone
            continue;
        }
        out[i] = static_cast<char>(map(c));
    }
    return out;
}

bool IsCWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

std::string ToUpperAnsi(const std::string& text) {
    return MapAsciiLetters(text, [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; });
}

std::string ToLowerAnsi(const std::string& text) {
    return MapAsciiLetters(text, [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; });
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ToUpperAnsi(a) == ToUpperAnsi(b);
}

size_t FindNoCase(const std::string& text, const std::string& needle) {
    return ToUpperAnsi(text).find(ToUpperAnsi(needle));
}

std::string Trim(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsCWhiteSpace(text[begin])) ++begin;
    while (end > begin && IsCWhiteSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

std::string RemoveAll(std::string text, char ch) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ch) out.push_back(c);
    return out;
}

std::string CutText(const std::string& text, size_t maxBytes, const std::string& mark) {
    if (text.size() <= maxBytes) return text;
    size_t end = 0;
    while (end < text.size()) {
        const size_t next = IsLeadByte(static_cast<unsigned char>(text[end])) ? end + 2 : end + 1;
        if (next > maxBytes) break;
        end = next;
    }
    return text.substr(0, end) + mark;
}

std::string FormatTextV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int len = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (len <= 0) return std::string();
    std::string out(static_cast<size_t>(len) + 1, '\0');
    std::vsnprintf(&out[0], out.size(), format, args);
    out.resize(static_cast<size_t>(len));
    return out;
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string out = FormatTextV(format, args);
    va_end(args);
    return out;
}

std::string FileNamePart(const std::string& path) {
    size_t pos = path.rfind('\\');
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string FolderPart(const std::string& path) {
    size_t pos = path.rfind('\\');
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}


}  // namespace base
