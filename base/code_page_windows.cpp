// The system's ANSI code page through Windows' own conversions.
#include <windows.h>

#include <vector>

#include "base/code_page.h"

namespace base {
namespace {

std::wstring ToWide(const std::string& text, UINT from) {
    const int length = ::MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 0, L'\0');
    if (length > 0) ::MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string Convert(const std::string& text, UINT from, UINT to) {
    if (text.empty()) return text;
    const std::wstring wide = ToWide(text, from);
    const int wideLength = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string out(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) ::WideCharToMultiByte(to, 0, wide.data(), wideLength, &out[0], length, nullptr, nullptr);
    return out;
}

}  // namespace

unsigned ListCodePage() { return ::GetACP(); }

bool IsLeadByte(unsigned char c) { return ::IsDBCSLeadByte(c) != FALSE; }

std::u16string AnsiToUtf16(const std::string& ansi) {
    const std::wstring wide = ToWide(ansi, CP_ACP);
    return std::u16string(wide.begin(), wide.end());
}

std::string AnsiToUtf8(const std::string& ansi) { return Convert(ansi, CP_ACP, CP_UTF8); }
std::string Utf8ToAnsi(const std::string& utf8) { return Convert(utf8, CP_UTF8, CP_ACP); }

}  // namespace base
