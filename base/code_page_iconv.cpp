// CP949 through iconv (the release tool on Linux).
#include <errno.h>
#include <iconv.h>

#include <string>

#include "base/code_page.h"

namespace base {
namespace {

constexpr char kCodePage[] = "CP949";

// The whole text converted, or nothing: iconv stops at a byte sequence the
// source cannot read and at a character the target cannot hold.
std::string Convert(const std::string& text, const char* from, const char* to) {
    if (text.empty()) return text;
    const iconv_t converter = ::iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::string();
    std::string out(text.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* next = &out[0];
    size_t outLeft = out.size();
    const size_t result = ::iconv(converter, &in, &inLeft, &next, &outLeft);
    ::iconv_close(converter);
    if (result == static_cast<size_t>(-1) || inLeft != 0) return std::string();
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

unsigned ListCodePage() { return 949; }

// CP949's lead bytes: 0x81 to 0xFE.
bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

std::u16string AnsiToUtf16(const std::string& ansi) {
    const std::string bytes = Convert(ansi, kCodePage, "UTF-16LE");
    std::u16string units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              static_cast<unsigned char>(bytes[i + 1]) << 8));
    return units;
}

std::string AnsiToUtf8(const std::string& ansi) { return Convert(ansi, kCodePage, "UTF-8"); }
std::string Utf8ToAnsi(const std::string& utf8) { return Convert(utf8, "UTF-8", kCodePage); }

}  // namespace base
