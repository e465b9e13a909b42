#include "tests/tools/uidriver/hook/text_line.h"

#include <cstdio>

namespace uidriverhook {
namespace {

class Writer {
public:
    Writer(char* out, DWORD size) : out_(out), size_(size) {}
    void Char(char c) {
        if (used_ + 1 < size_) out_[used_++] = c;
        else overflow_ = true;
    }
    void Raw(const char* text) {
        for (; *text; ++text) Char(*text);
    }
    void Number(unsigned long long value, bool negative = false) {
        char digits[32];
        std::snprintf(digits, sizeof digits, negative ? "-%llu" : "%llu", value);
        Raw(digits);
    }
    // An ANSI text as a JSON string in UTF-8.
    void AnsiString(const char* ansi) {
        // At most kMaxText bytes, so the wide text always fits; a cut inside
        // a double-byte character only costs that character.
        int bytes = 0;
        while (bytes < kMaxText && ansi[bytes]) ++bytes;
        WCHAR wide[kMaxText];
        const int count = bytes ? ::MultiByteToWideChar(CP_ACP, 0, ansi, bytes, wide, kMaxText) : 0;
        Char('"');
        for (int i = 0; i < count; ++i) {
            const WCHAR c = wide[i];
            switch (c) {
            case '"': Raw("\\\""); continue;
            case '\\': Raw("\\\\"); continue;
            case '\n': Raw("\\n"); continue;
            case '\r': Raw("\\r"); continue;
            case '\t': Raw("\\t"); continue;
            }
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                Raw(escaped);
                continue;
            }
            char utf8[8];
            const int pair = (c >= 0xD800 && c < 0xDC00 && i + 1 < count) ? 2 : 1;
            const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide + i, pair, utf8, sizeof utf8, nullptr, nullptr);
            for (int b = 0; b < length; ++b) Char(utf8[b]);
            i += pair - 1;
        }
        Char('"');
    }
    DWORD Finish() {
        if (overflow_) return 0;
        out_[used_] = '\0';
        return used_;
    }

private:
    char* out_;
    DWORD size_;
    DWORD used_ = 0;
    bool overflow_ = false;
};

}  // namespace

DWORD FormatTextChange(const TextChange& change, char* out, DWORD size) {
    if (size == 0) return 0;
    Writer w(out, size);
    w.Number(change.tick);
    w.Raw(" \"pid\":");
    w.Number(change.pid);
    w.Raw(",\"hwnd\":");
    w.Number(change.hwnd);
    w.Raw(",\"id\":");
    const long long id = change.id;
    w.Number(id < 0 ? static_cast<unsigned long long>(-id) : static_cast<unsigned long long>(id), id < 0);
    w.Raw(",\"window\":");
    w.AnsiString(change.window);
    w.Raw(",\"class\":");
    w.AnsiString(change.windowClass);
    w.Raw(",\"text\":");
    w.AnsiString(change.text);
    w.Char('\n');
    return w.Finish();
}

}  // namespace uidriverhook
