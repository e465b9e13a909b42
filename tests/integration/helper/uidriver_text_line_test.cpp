// The line the hook writes inside the followed programs: exact JSON of any
// text, and never a byte past its buffer.
#include <gtest/gtest.h>

#include <string>

#include "tests/tools/uidriver/hook/text_line.h"

namespace {

uidriverhook::TextChange Change(const char* text) {
    return uidriverhook::TextChange{1234, 56, 0x10094, -1, "업데이트", "#32770", text};
}

std::string Format(const uidriverhook::TextChange& change, DWORD size = uidriverhook::kMaxLine) {
    std::string out(size + 16, '#');
    const DWORD length = uidriverhook::FormatTextChange(change, &out[0], size);
    EXPECT_EQ(std::string(16, '#'), out.substr(size)) << "written past the buffer";
    return out.substr(0, length);
}

TEST(HookTextLine, TickThenMembersWithTextsInUtf8) {
    EXPECT_EQ("1234 \"pid\":56,\"hwnd\":65684,\"id\":-1,\"window\":\"\xEC\x97\x85\xEB\x8D\xB0\xEC\x9D\xB4\xED\x8A\xB8\","
              "\"class\":\"#32770\",\"text\":\"a\\\"b\\\\c\\td\\r\\n\\u0001\"\n",
              Format(Change("a\"b\\c\td\r\n\x01")));
    EXPECT_EQ("1234 \"pid\":56,\"hwnd\":65684,\"id\":-1,\"window\":\"\xEC\x97\x85\xEB\x8D\xB0\xEC\x9D\xB4\xED\x8A\xB8\","
              "\"class\":\"#32770\",\"text\":\"\"\n",
              Format(Change("")));
}

TEST(HookTextLine, LongTextsAreCutAndSmallBuffersRefused) {
    // 1500 Korean characters are 3000 bytes: cut at kMaxText bytes, 1024 characters of 3 UTF-8 bytes.
    std::string korean;
    for (int i = 0; i < 1500; ++i) korean += "가";
    const std::string line = Format(Change(korean.c_str()));
    const size_t start = line.find("\"text\":\"") + 8;
    EXPECT_EQ(static_cast<size_t>(uidriverhook::kMaxText / 2 * 3), line.size() - start - 2);
    EXPECT_EQ("\"\n", line.substr(line.size() - 2));

    const std::string full = Format(Change("status"));
    EXPECT_EQ(full, Format(Change("status"), static_cast<DWORD>(full.size() + 1)));
    EXPECT_EQ("", Format(Change("status"), static_cast<DWORD>(full.size())));
    EXPECT_EQ("", Format(Change("status"), 0));
}

}  // namespace
