#include "dialog_template.h"

#include "base/ansi_text.h"

namespace restest {
namespace {

class Reader {
public:
    Reader(const BYTE* bytes, size_t size) : bytes_(bytes), size_(size) {}

    bool ok() const { return ok_; }
    template <typename T>
    T Read() {
        T value{};
        if (pos_ + sizeof(T) > size_) {
            ok_ = false;
            return value;
        }
        memcpy(&value, bytes_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }
    void Align(size_t to) { pos_ = (pos_ + to - 1) / to * to; }
    void Skip(size_t count) { pos_ += count; }

    // A zero-terminated UTF-16 string, given back in code page 949.
    std::string Text() {
        std::wstring wide;
        for (WCHAR c = Read<WCHAR>(); ok_ && c != 0; c = Read<WCHAR>()) wide += c;
        if (wide.empty()) return {};
        const int length = ::WideCharToMultiByte(949, 0, wide.c_str(), static_cast<int>(wide.size()),
                                                 nullptr, 0, nullptr, nullptr);
        std::string narrow(length, '\0');
        ::WideCharToMultiByte(949, 0, wide.c_str(), static_cast<int>(wide.size()), &narrow[0],
                              length, nullptr, nullptr);
        return narrow;
    }
    // A string or an ordinal (0xFFFF followed by the number, given as "#n").
    std::string TextOrOrdinal() {
        if (pos_ + 2 <= size_ && bytes_[pos_] == 0xFF && bytes_[pos_ + 1] == 0xFF) {
            Read<WORD>();
            return "#" + std::to_string(Read<WORD>());
        }
        return Text();
    }

private:
    const BYTE* bytes_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

std::string ClassName(const std::string& stored) {
    static const char* const kPredefined[] = {"button", "edit", "static", "listbox", "scrollbar",
                                              "combobox"};
    if (stored.size() > 1 && stored[0] == '#') {
        const int ordinal = std::stoi(stored.substr(1));
        if (ordinal >= 0x80 && ordinal <= 0x85) return kPredefined[ordinal - 0x80];
    }
    return base::ToLowerAnsi(stored);
}

}  // namespace

bool ParseDialogTemplate(const BYTE* bytes, size_t size, DialogTemplate& out) {
    Reader in(bytes, size);
    if (in.Read<WORD>() != 1 || in.Read<WORD>() != 0xFFFF) return false;
    in.Read<DWORD>();  // help id
    out.exStyle = in.Read<DWORD>();
    out.style = in.Read<DWORD>();
    const WORD count = in.Read<WORD>();
    out.x = in.Read<short>();
    out.y = in.Read<short>();
    out.cx = in.Read<short>();
    out.cy = in.Read<short>();
    in.TextOrOrdinal();  // menu
    in.TextOrOrdinal();  // window class
    out.caption = in.Text();
    if (out.style & DS_SETFONT) {
        out.pointSize = in.Read<WORD>();
        in.Read<WORD>();  // weight
        in.Read<BYTE>();  // italic
        in.Read<BYTE>();  // character set
        out.typeface = in.Text();
    }
    for (WORD i = 0; i < count && in.ok(); ++i) {
        in.Align(4);
        TemplateItem item;
        in.Read<DWORD>();  // help id
        item.exStyle = in.Read<DWORD>();
        item.style = in.Read<DWORD>();
        item.x = in.Read<short>();
        item.y = in.Read<short>();
        item.cx = in.Read<short>();
        item.cy = in.Read<short>();
        item.id = in.Read<DWORD>();
        item.windowClass = ClassName(in.TextOrOrdinal());
        item.text = in.TextOrOrdinal();
        in.Skip(in.Read<WORD>());  // creation data
        out.items.push_back(item);
    }
    return in.ok();
}

}  // namespace restest
