// Update list keys and values, and the INI reader on real list files.
#include <gtest/gtest.h>

#include <windows.h>

#include "release/ini_reader.h"
#include "release/list_entry.h"
#include "tests/support/test_env.h"

namespace {

std::string SystemFolder() {
    char buffer[MAX_PATH] = {};
    ::GetSystemDirectoryA(buffer, MAX_PATH);
    return buffer;
}

TEST(ListKey, SingleNameServesAsBothNamesWithBackslashes) {
    release::ListEntry entry;
    release::ParseListKey("bin/a.dll", entry);
    EXPECT_EQ("bin/a.dll", entry.remoteName);
    EXPECT_EQ("bin\\a.dll", entry.localPath);
    EXPECT_FALSE(entry.isSystemPath);
}

TEST(ListKey, SystemMarkerInAnyCaseGivesAnAbsolutePath) {
    release::ListEntry entry;
    release::ParseListKey("a.dat|$SYSTEM$\\a.dat", entry);
    EXPECT_EQ("a.dat", entry.remoteName);
    EXPECT_EQ(SystemFolder() + "\\a.dat", entry.localPath);
    EXPECT_TRUE(entry.isSystemPath);

    release::ParseListKey("x.dll|$system$x.dll|ignored", entry);
    EXPECT_EQ(SystemFolder() + "x.dll", entry.localPath);
    release::ParseListKey("up/b.ocx|sub/b.ocx", entry);
    EXPECT_EQ("up/b.ocx", entry.remoteName);
    EXPECT_EQ("sub\\b.ocx", entry.localPath);
    EXPECT_FALSE(entry.isSystemPath);
}

TEST(ListKey, AnEntryStaysBelowTheInstallFolderOrBelowTheSystemFolder) {
    release::ListEntry entry;
    for (const char* key : {"a.dll", "bin/a.dll", "a.dll|$system$\\a.dll", "a.dll|$SYSTEM$/sub/a.dll"}) {
        release::ParseListKey(key, entry);
        EXPECT_TRUE(release::StaysInItsFolder(entry)) << key;
    }
    // "$system$x.dll" is glued to the folder's own name: a file beside it.
    for (const char* key : {"x.txt|..\\x.txt", "x.txt|$system$\\..\\..\\x.txt", "x.dll|$system$x.dll",
                            "x.txt|NUL.txt", "x|con", "x|a/con/x.txt", "x|C:\\x.txt"}) {
        release::ParseListKey(key, entry);
        EXPECT_FALSE(release::StaysInItsFolder(entry)) << key;
    }
}

TEST(ListValue, ReadsFourFieldsAndMissingOnesAsEmpty) {
    release::ListEntry entry;
    release::ParseListValue("1, 0, 0, 5|  4096xyz|0108c2f066fd81f2|r2", entry);
    EXPECT_EQ("1, 0, 0, 5", entry.version);
    EXPECT_EQ(4096u, entry.size);
    EXPECT_EQ("0108c2f066fd81f2", entry.fingerprint);
    EXPECT_EQ("r2", entry.revision);

    release::ParseListValue("|17", entry);
    EXPECT_EQ("", entry.version);
    EXPECT_EQ(17u, entry.size);
    EXPECT_EQ("", entry.fingerprint);
    EXPECT_EQ("", entry.revision);
    release::ParseListValue("", entry);
    EXPECT_EQ(0u, entry.size);
}

class IniReaderTest : public ::testing::Test {
protected:
    std::string Write(const std::string& text) {
        const std::string path = dir_ / "list.ini";
        testenv::WriteFileBytes(path, text);
        return path;
    }
    testenv::ScratchDir dir_{"release_ini"};
};

TEST_F(IniReaderTest, ReadsSectionsKeysAndValuesInFileOrder) {
    release::CIniReader reader(Write("[Second]\r\nb.dll=1|2|3|4\r\nnoequals\r\n=novalue\r\n"
                                       "a.dll=5|6\r\nB.DLL=other\r\n[First]\r\nz=\"quoted\"\r\n"));
    EXPECT_EQ((base::StringList{"Second", "First"}), reader.GetIniSectionNames());
    // A key standing twice is listed twice and reads its first line's value.
    EXPECT_EQ((base::StringList{"b.dll", "a.dll", "B.DLL"}), reader.GetIniSectionKeys("Second", "="));
    EXPECT_EQ("1|2|3|4", reader.ReadIniValue("Second", "B.DLL"));
    EXPECT_EQ("5|6", reader.ReadIniValue("Second", "a.dll"));
    EXPECT_EQ("6", reader.ReadIniField("Second", "a.dll", 1));
    EXPECT_EQ("", reader.ReadIniField("Second", "a.dll", 2));
    EXPECT_EQ("quoted", reader.ReadIniValue("First", "z"));
    EXPECT_EQ("", reader.ReadIniValue("First", "b.dll"));
    EXPECT_EQ("", reader.ReadIniValue("Missing", "z"));
    EXPECT_EQ(5u, reader.GetIniSectionKeys("Second", "").size());
}

TEST_F(IniReaderTest, ReadsLongValuesAndLargeSectionsWhole) {
    const std::string longValue = "1.005|" + std::string(600, '7') + "|f|r";
    std::string text = "[Files]\r\nlong.dat=" + longValue + "\r\n";
    for (int i = 0; i < 5000; ++i) text += "data\\file" + std::to_string(i) + ".dat=1.0|123456|0123456789abcdef|\r\n";
    text += "last.dat=end\r\n";
    ASSERT_GT(text.size(), 200000u);
    release::CIniReader reader(Write(text));
    const base::StringList& keys = reader.GetIniSectionKeys("Files", "=");
    ASSERT_EQ(5002u, keys.size());
    EXPECT_EQ("last.dat", keys.back());
    EXPECT_EQ("end", reader.ReadIniValue("Files", "last.dat"));
    EXPECT_EQ(longValue, reader.ReadIniValue("Files", "long.dat"));
    EXPECT_EQ(std::string(600, '7'), reader.ReadIniField("Files", "long.dat", 1));
}

TEST_F(IniReaderTest, ManySectionNamesAreAllListed) {
    std::string text;
    for (int i = 0; i < 6000; ++i) text += "[Section with a long name number " + std::to_string(i) + "]\r\nk=v\r\n";
    release::CIniReader reader(Write(text));
    const base::StringList& names = reader.GetIniSectionNames();
    ASSERT_EQ(6000u, names.size());
    EXPECT_EQ("Section with a long name number 5999", names.back());
}

}  // namespace
