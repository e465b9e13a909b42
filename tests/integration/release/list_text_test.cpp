// The pieces of the list text and the operator's patterns, checked without
// a release folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "release/file_identity.h"
#include "release/ini_reader.h"
#include "release/list_entry.h"
#include "tests/support/test_env.h"
#include "tools/release_list/gateway_text.h"
#include "tools/release_list/list_names.h"
#include "release/list_text.h"
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

// The list's entry for itself must hold for every length of the text before
// it: wherever it lands relative to the fingerprint's 1024-byte blocks, the
// updater must find the written list to match its entry.
TEST(SelfEntry, DescribesTheWrittenListForEveryPrefixLength) {
    testenv::ScratchDir scratch("release_list_self_entry");
    // Every position near a block boundary, and a stride through the rest.
    std::vector<size_t> lengths;
    for (size_t length = 20; length < 2200; ++length) {
        const size_t offset = length % 1024;
        if (offset < 60 || offset > 960 || length % 23 == 0) lengths.push_back(length);
    }
    for (size_t length : lengths) {
        // A new name each time: the profile functions cache files by name.
        const std::string path = scratch / ("list" + std::to_string(length) + ".ini");
        const std::string prefix = "[FILES]\r\nx=" + std::string(length - 13, 'v') + "\r\n";
        release::SelfDescribedList list = release::AppendSelfEntry(prefix);
        testenv::WriteFileBytes(path, list.text);
        char fingerprint[17] = {};
        ASSERT_TRUE(release::ComputeFingerprint(path, fingerprint));
        release::FillSelfFingerprint(list, fingerprint);
        testenv::WriteFileBytes(path, list.text);

        release::CIniReader reader(path);
        const std::string value = reader.ReadIniValue("FILES", "Arkenfel_List.ini");
        release::ListEntry entry;
        release::ParseListKey("Arkenfel_List.ini", entry);
        release::ParseListValue(value, entry);
        ASSERT_EQ(list.text.size(), entry.size) << "prefix length " << length;
        ASSERT_EQ(fingerprint, entry.fingerprint) << "prefix length " << length;
        ASSERT_TRUE(release::MatchesFingerprint(path, entry.fingerprint)) << "prefix length " << length;
        ASSERT_EQ(2u, reader.GetIniSectionKeys("FILES").size()) << "padding read as an entry";
        ::DeleteFileA(path.c_str());
    }
}

}  // namespace
