// Choosing the version folder from the gateway text, and the size texts.
#include <gtest/gtest.h>

#include "discovery/format_size.h"
#include "release/gateway.h"

namespace {

std::string Folder(const std::string& text, const std::string& key) {
    std::string value = "unchanged";
    release::ParseGateway(text, value, key);
    return value;
}

TEST(Gateway, BareLineIsTheDefaultAndKeyedLinesServeTheirOption) {
    EXPECT_EQ("2017a", Folder("2017a\r\nabc=2017b\r\n", ""));
    EXPECT_EQ("2017b", Folder("2017a\r\nabc=2017b\r\n", "abc"));
    EXPECT_EQ("2017a", Folder("2017a\r\nabc=2017b", "other"));
    EXPECT_EQ("1.0.3", Folder("  \t1.0.3   \r\n", ""));
    EXPECT_EQ("top/1.0", Folder(" = top/1.0 \r\nk=v", ""));
}

TEST(Gateway, SkipsBlankLinesAndTheFirstLineOfAKeyWins) {
    EXPECT_EQ("x", Folder("\r\n   \r\na=x\r\na=y\r\n", "a"));
    EXPECT_EQ("first", Folder("first\r\nsecond\r\n", ""));
    // Keys compare with case: the option value is always lower case.
    EXPECT_EQ("unchanged", Folder("A=upper\r\n", "a"));
    EXPECT_EQ("k = v", Folder("  key  =  k = v  \r\n", "key"));
}

TEST(Gateway, LineFeedAloneDoesNotEndALine) {
    EXPECT_EQ("1.0\n2.0", Folder(" 1.0\n2.0 \n", ""));
    EXPECT_EQ("x\nb=y", Folder("a=x\nb=y", "a"));
    EXPECT_EQ("unchanged", Folder("a=x\nb=y", "b"));
}

TEST(Gateway, NoLineForTheKeyNorTheEmptyKeyLeavesTheValue) {
    std::string value = "unchanged";
    EXPECT_FALSE(release::ParseGateway("a=1\r\nb=2\r\n", value, "c"));
    EXPECT_EQ("unchanged", value);
    EXPECT_FALSE(release::ParseGateway("", value, ""));
    EXPECT_TRUE(release::ParseGateway("c=3", value, "c"));
    EXPECT_EQ("3", value);
    // The text may be its own output.
    std::string text = "2017a\r\n";
    EXPECT_TRUE(release::ParseGateway(text, text, ""));
    EXPECT_EQ("2017a", text);
}

TEST(FormatSize, IntegerFormsTruncateAndStepOnlyAbove1024) {
    EXPECT_EQ("0.00B", discovery::FormatSize(uint64_t(0)));
    EXPECT_EQ("1024.00B", discovery::FormatSize(uint64_t(1024)));
    EXPECT_EQ("1.00KB", discovery::FormatSize(uint64_t(1025)));
    EXPECT_EQ("1.49KB", discovery::FormatSize(uint64_t(1535)));
    EXPECT_EQ("1024.00KB", discovery::FormatSize(uint64_t(1048576)));
    EXPECT_EQ("1024.00KB", discovery::FormatSize(uint64_t(1048577)));
    EXPECT_EQ("1.00MB", discovery::FormatSize(uint64_t(1049600)));
    EXPECT_EQ("2.99GB", discovery::FormatSize(uint64_t(3ull * 1024 * 1024 * 1024 - 1)));
    EXPECT_EQ("15.99EB", discovery::FormatSize(UINT64_MAX));
    EXPECT_EQ("1.49KB", discovery::FormatSize(uint32_t(1535)));
    EXPECT_EQ("3.99GB", discovery::FormatSize(UINT32_MAX));
}

TEST(FormatSize, FloatingFormRoundsAndStaysAtTheLastUnit) {
    EXPECT_EQ("1.50KB", discovery::FormatSize(1535.0));
    EXPECT_EQ("1024.00B", discovery::FormatSize(1024.0));
    EXPECT_EQ("0.50B", discovery::FormatSize(0.5));
    EXPECT_EQ("1.00MB", discovery::FormatSize(1048577.0));
    EXPECT_EQ("2048.00EB", discovery::FormatSize(2048.0 * 1152921504606846976.0));
}

}  // namespace
