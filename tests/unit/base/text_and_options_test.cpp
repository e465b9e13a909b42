// The shared text helpers and the command-line option reader.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/ansi_text.h"
#include "base/command_line.h"
#include "base/split_string.h"

namespace {

TEST(Bench, RunsWithTheKoreanCodePage) { EXPECT_EQ(949u, ::GetACP()); }

TEST(AnsiCase, LeavesDoubleByteCharactersAlone) {
    // "게임" in code page 949 is B0 D4 C0 D3; the second byte of some Korean
    // characters is an ASCII letter: "갛" is 0x8141 ('A' as trail byte).
    const std::string korean = "C:\\\xB0\xD4\xC0\xD3\\\x81\x41\x81\x61.exe";
    EXPECT_EQ("c:\\\xB0\xD4\xC0\xD3\\\x81\x41\x81\x61.exe", base::ToLowerAnsi(korean));
    EXPECT_EQ("C:\\\xB0\xD4\xC0\xD3\\\x81\x41\x81\x61.EXE", base::ToUpperAnsi(korean));
    EXPECT_TRUE(base::EqualsNoCase("ARKENFEL", "arkenfel"));
    EXPECT_FALSE(base::EqualsNoCase("\x81\x41", "\x81\x61"));
}

TEST(SplitString, KeepsEmptyPieces) {
    base::StringList list;
    base::SplitString("a||b", "|", list);
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ("", list[1]);
    base::StringList two;
    base::SplitString("a|", "|", two);
    EXPECT_EQ(2u, two.size());
    base::StringList one;
    base::SplitString("", "|", one);
    EXPECT_EQ(1u, one.size());
    EXPECT_EQ("b", base::GetListItem(list, 2));
    EXPECT_EQ("", base::GetListItem(list, 3));
}

TEST(CommandLineValue, FoldsBlanksAndCapitalsAndFindsThePrefixAnywhere) {
    std::string value = "untouched";
    EXPECT_TRUE(base::GetCommandLineValue({"prog", "EXEC:C:\\Tools\\Setup Me.exe"}, "exec:", value));
    EXPECT_EQ("c:\\tools\\setupme.exe", value);
    EXPECT_TRUE(base::GetCommandLineValue({"prog", "other", "x-exec:abc"}, "exec:", value));
    EXPECT_EQ("abc", value);
    value = "untouched";
    EXPECT_FALSE(base::GetCommandLineValue({"exec:not-an-argument", "jisacd:x"}, "exec:", value));
    EXPECT_EQ("untouched", value);
}

}  // namespace
