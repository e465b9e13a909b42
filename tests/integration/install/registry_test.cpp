// The registry path form and the value reader, against Wine's real registry.
#include <windows.h>

#include <gtest/gtest.h>

#include "install/registry.h"
#include "tests/integration/install/install_test_support.h"

namespace {

struct Parsed {
    bool known;
    HKEY root;
    std::string key, value;
};

Parsed Parse(const std::string& text) {
    Parsed p{false, nullptr, "unset", "unset"};
    p.known = install::ParseRegistryPath(text, p.root, p.key, p.value);
    return p;
}

TEST(RegistryPath, SplitsRootKeyAndValue) {
    Parsed p = Parse("HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Version");
    EXPECT_TRUE(p.known);
    EXPECT_EQ(HKEY_LOCAL_MACHINE, p.root);
    EXPECT_EQ("SOFTWARE\\X", p.key);
    EXPECT_EQ("Version", p.value);
}

TEST(RegistryPath, AcceptsAnyCaseAndForwardSlashes) {
    Parsed p = Parse("hkey_current_user/Software/X/Name");
    EXPECT_TRUE(p.known);
    EXPECT_EQ(HKEY_CURRENT_USER, p.root);
    EXPECT_EQ("Software\\X", p.key);
    EXPECT_EQ("Name", p.value);
}

TEST(RegistryPath, RejectsAbbreviatedRootButStillFillsTheParts) {
    Parsed p = Parse("HKLM\\Software\\X\\Name");
    EXPECT_FALSE(p.known);
    EXPECT_EQ(nullptr, p.root);
    EXPECT_EQ("Software\\X", p.key);
    EXPECT_EQ("Name", p.value);
}

TEST(RegistryPath, ShortAndDefaultValueForms) {
    Parsed trailing = Parse("HKEY_CURRENT_USER\\Software\\X\\");
    EXPECT_TRUE(trailing.known);
    EXPECT_EQ("Software\\X", trailing.key);
    EXPECT_EQ("", trailing.value);

    Parsed two = Parse("HKEY_USERS\\Name");
    EXPECT_TRUE(two.known);
    EXPECT_EQ(HKEY_USERS, two.root);
    EXPECT_EQ("", two.key);
    EXPECT_EQ("Name", two.value);

    Parsed one = Parse("HKEY_CLASSES_ROOT");
    EXPECT_TRUE(one.known);
    EXPECT_EQ("", one.key);
    EXPECT_EQ("HKEY_CLASSES_ROOT", one.value);

    EXPECT_FALSE(Parse("").known);
}

TEST(RegistryPath, KnowsEveryPredefinedRootByFullName) {
    EXPECT_EQ(HKEY_CLASSES_ROOT, install::RootKeyFromName("HKEY_CLASSES_ROOT"));
    EXPECT_EQ(HKEY_CURRENT_USER, install::RootKeyFromName("Hkey_Current_User"));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, install::RootKeyFromName("HKEY_LOCAL_MACHINE"));
    EXPECT_EQ(HKEY_CURRENT_CONFIG, install::RootKeyFromName("HKEY_CURRENT_CONFIG"));
    EXPECT_EQ(HKEY_USERS, install::RootKeyFromName("HKEY_USERS"));
    EXPECT_EQ(HKEY_PERFORMANCE_DATA, install::RootKeyFromName("HKEY_PERFORMANCE_DATA"));
    EXPECT_EQ(HKEY_DYN_DATA, install::RootKeyFromName("HKEY_DYN_DATA"));
    EXPECT_EQ(nullptr, install::RootKeyFromName("HKCU"));
    EXPECT_EQ(nullptr, install::RootKeyFromName("HKEY_CURRENT_USER\\"));
}

class RegistryRead : public ::testing::Test {
protected:
    installtest::TempRegistryKey key_{HKEY_CURRENT_USER, "Software\\ArkenfelTests\\RegistryRead"};
    install::CRegistry registry_;
    void SetUp() override {
        ASSERT_TRUE(registry_.Open(HKEY_CURRENT_USER, "Software\\ArkenfelTests\\RegistryRead"));
    }
};

TEST_F(RegistryRead, DwordYieldsItsRawBytesUpToTheFirstZero) {
    key_.SetDword("Number", 0x00313233);  // bytes 33 32 31 00
    std::string text = "before";
    EXPECT_TRUE(install::ReadRegistryString("Number", registry_, text));
    EXPECT_EQ("321", text);
}

TEST_F(RegistryRead, StringMissingAndEmptyValues) {
    key_.SetString("Version", "1.2.0.0");
    std::string text;
    EXPECT_TRUE(install::ReadRegistryString("Version", registry_, text));
    EXPECT_EQ("1.2.0.0", text);

    text = "kept";
    EXPECT_FALSE(install::ReadRegistryString("Absent", registry_, text));
    EXPECT_EQ("kept", text);

    ::RegSetValueExA(key_.get(), "Empty", 0, REG_SZ, nullptr, 0);
    EXPECT_TRUE(install::ReadRegistryString("Empty", registry_, text));
    EXPECT_EQ("kept", text);
}

TEST_F(RegistryRead, WrittenStringReadsBackAndUnopenedKeyFails) {
    EXPECT_TRUE(install::WriteRegistryString("Font", registry_, "1"));
    EXPECT_EQ("1", key_.GetString("Font"));

    install::CRegistry closed;
    EXPECT_FALSE(closed.Open(HKEY_CURRENT_USER, "Software\\ArkenfelTests\\NoSuchKey"));
    EXPECT_FALSE(closed.IsOpen());
    std::string text;
    EXPECT_FALSE(install::ReadRegistryString("Font", closed, text));
    EXPECT_FALSE(install::WriteRegistryString("Font", closed, "1"));
}

}  // namespace
