// The operator's patterns, the names a list may carry and the gateway text,
// checked without a release folder.
#include <gtest/gtest.h>

#include "tools/release_list/gateway_text.h"
#include "tools/release_list/list_names.h"
#include "tools/release_list/name_pattern.h"
#include "tools/release_list/release_error.h"

namespace {

using release_list::MatchesPattern;

TEST(Patterns, WildcardsStayInOneFolderAndFoldersMatchWhatIsBelow) {
    EXPECT_TRUE(MatchesPattern("*.dll", "bin/x/Module.DLL"));
    EXPECT_TRUE(MatchesPattern("*.dll", "top.dll"));
    EXPECT_FALSE(MatchesPattern("*.dll", "a.dll.bak"));
    EXPECT_TRUE(MatchesPattern("bin/*.exe", "bin/a.exe"));
    EXPECT_FALSE(MatchesPattern("bin/*.exe", "bin/sub/a.exe"));
    EXPECT_FALSE(MatchesPattern("b?n/a.exe", "b/n/a.exe"));
    EXPECT_TRUE(MatchesPattern("data/", "data/sub/x.bin"));
    EXPECT_TRUE(MatchesPattern("Data", "data/x.bin"));
    EXPECT_FALSE(MatchesPattern("data", "database/x.bin"));
    EXPECT_TRUE(MatchesPattern("sys/helper.dat", "sys/helper.dat"));
}

TEST(ListNames, ServerNamesAreWhatTheAddressAndTheListCarry) {
    EXPECT_EQ("", release_list::CheckRemoteName("bin/a-b_c.1(2)~x+y!z,w@v.dll"));
    for (const char* bad : {"a|b", "a=b", "[x", ";x", "a b", "a%20b", "a\\b", "./a", "a//b", "../a", ".hidden",
                            "a?b", "a#b", "a&b", "\xB0\xD4.dat", " a", "data/con.pak", "LPT1", "x."}) {
        EXPECT_NE("", release_list::CheckRemoteName(bad)) << bad;
    }
    EXPECT_EQ("", release_list::CheckLocalPath("docs\\read me.txt", 1252));
    EXPECT_EQ("", release_list::CheckLocalPath("\xB0\xD4\xC0\xD3\\a.txt", 949));
    EXPECT_NE("", release_list::CheckLocalPath("\xB0\xD4\xC0\xD3\\a.txt", 1252));
    for (const char* bad : {"", "C:\\x", "\\x", "a\\..\\..\\x", "a=b", "$SYSTEM$\\x", "x ", ";x", "a\\\\b",
                            "data\\NUL.pak", "x.txt."}) {
        EXPECT_NE("", release_list::CheckLocalPath(bad, 949)) << bad;
    }
    EXPECT_EQ("", release_list::CheckGatewayKey("beta-2"));
    EXPECT_NE("", release_list::CheckGatewayKey("a b"));
    EXPECT_NE("", release_list::CheckGatewayKey("k=v"));
    EXPECT_NE("", release_list::CheckRevision("r1|x"));
    EXPECT_NE("", release_list::CheckRevision("\"r1\""));
}

TEST(GatewayText, NewFileAndLinesThatAreKept) {
    EXPECT_EQ("2026a\r\n", release_list::UpdateGatewayText("", {""}, "2026a"));
    EXPECT_EQ("=old-plain\r\n", release_list::UpdateGatewayText("=old-plain\r\n", {"x"}, "v").substr(0, 12));
    // A line starting with "=" is the plain line for the updater too.
    EXPECT_EQ("v\r\n", release_list::UpdateGatewayText("=old\r\n\r\n  \r\n", {""}, "v"));
    EXPECT_THROW(release_list::UpdateGatewayText("a\r\nb\r", {""}, "v"), release_list::ReleaseListError);
}

}  // namespace
