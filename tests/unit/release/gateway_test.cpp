// Choosing the version folder from the gateway text.
#include <gtest/gtest.h>

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

}  // namespace
