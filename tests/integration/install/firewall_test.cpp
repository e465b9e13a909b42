// Firewall exceptions written into Wine's registry. A fresh prefix has no
// AuthorizedApplications\List keys: tests of the success path create them,
// tests of the failure path remove them.
#include <windows.h>

#include <gtest/gtest.h>

#include "install/firewall.h"
#include "tests/integration/install/install_test_support.h"
#include "tests/support/test_env.h"

namespace {

const char kPolicy[] = "SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\";
const char kList[] = "\\AuthorizedApplications\\List";
const char kFailedText[] = "방화벽에 등록할 목록을 처리하는 중 문제가 발생하였습니다!\r\n";

std::string ProfileKey(const char* profile) { return std::string(kPolicy) + profile + kList; }

// (Wine stores REG_SZ data with a terminator whatever length it is given, so
// the stored size tells nothing about the length the program passed.)
struct StoredValue {
    std::string data = "<missing>";
    DWORD type = 0;
    DWORD size = 0;
};

StoredValue ReadValue(const char* profile, const std::string& name) {
    StoredValue value;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProfileKey(profile).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    char data[1024] = {};
    value.size = sizeof(data) - 1;
    if (::RegQueryValueExA(key, name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(data), &value.size) ==
        ERROR_SUCCESS)
        value.data = data;
    ::RegCloseKey(key);
    return value;
}

class Firewall : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveKeys();
        for (const char* exe : {"Client.exe", "Other.exe"}) testenv::WriteFileBytes(dir_ / exe, "MZ");
        ASSERT_TRUE(::CopyFileA((testenv::BinDir() + "fixture_version_ko.exe").c_str(), (dir_ / "Korean.exe").c_str(), FALSE));
        ASSERT_TRUE(::CopyFileA((testenv::BinDir() + "fixture_version_en.exe").c_str(), (dir_ / "English.exe").c_str(), FALSE));
    }
    void TearDown() override { RemoveKeys(); }
    static void RemoveKeys() {
        installtest::DeleteRegistryTree(HKEY_LOCAL_MACHINE, std::string(kPolicy) + "DomainProfile");
        installtest::DeleteRegistryTree(HKEY_LOCAL_MACHINE, std::string(kPolicy) + "StandardProfile");
    }
    static void CreateKey(const char* profile) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProfileKey(profile).c_str(), 0, nullptr, 0,
                                                   KEY_ALL_ACCESS, nullptr, &key, nullptr));
        ::RegCloseKey(key);
    }
    // The step's result as the run takes it: its text kept for the assertions.
    bool Entered(const install::StepResult& result) {
        error_ = result.text;
        return result.ok;
    }
    bool Add(const std::string& list) {
        testenv::WriteFileBytes(listPath_, list);
        return Entered(install::AddFirewallExceptions(listPath_, list, nullptr));
    }
    // The program's path as the value name: the list's folder without its backslash, "\", the name.
    std::string Program(const std::string& name) const { return dir_ / name; }
    void ExpectEntry(const std::string& name, const std::string& displayName) const {
        const std::string path = Program(name);
        const std::string data = path + ":*:Enabled:" + displayName;
        for (const char* profile : {"DomainProfile", "StandardProfile"}) {
            const StoredValue value = ReadValue(profile, path);
            EXPECT_EQ(data, value.data) << profile;
            EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.type) << profile;
        }
    }

    testenv::ScratchDir dir_{"firewall"};
    std::string listPath_ = dir_ / "firewall.ini";
    std::string error_;
};

TEST_F(Firewall, NamedLineWritesBothProfiles) {
    CreateKey("DomainProfile");
    CreateKey("StandardProfile");
    EXPECT_TRUE(Add("Client.exe|Client\r\n"));
    EXPECT_EQ("", error_);
    ExpectEntry("Client.exe", "Client");
}

TEST_F(Firewall, NamelessLineTakesTheKoreanProductName) {
    CreateKey("DomainProfile");
    CreateKey("StandardProfile");
    EXPECT_TRUE(Add("Korean.exe\r\n English.exe | \r\nOther.exe|Other|ignored\r\n"));
    ExpectEntry("Korean.exe", "아르켄펠 클라이언트");
    ExpectEntry("English.exe", "");
    ExpectEntry("Other.exe", "Other");

    std::string name = "kept";
    EXPECT_TRUE(install::GetProductName(Program("Korean.exe"), name));
    EXPECT_EQ("아르켄펠 클라이언트", name);
    EXPECT_FALSE(install::GetProductName(Program("English.exe"), name));
    EXPECT_FALSE(install::GetProductName(Program("Client.exe"), name));
    EXPECT_EQ("아르켄펠 클라이언트", name);
}

TEST_F(Firewall, MissingKeyFailsEachLineButEveryLineIsAttempted) {
    CreateKey("DomainProfile");  // the standard profile's list is absent
    EXPECT_FALSE(Add("Client.exe|Client\r\nOther.exe|Other\r\n"));
    EXPECT_EQ(kFailedText, error_);
    EXPECT_EQ(Program("Other.exe") + ":*:Enabled:Other", ReadValue("DomainProfile", Program("Other.exe")).data);
    EXPECT_EQ(Program("Client.exe") + ":*:Enabled:Client", ReadValue("DomainProfile", Program("Client.exe")).data);
    HKEY created = nullptr;
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProfileKey("StandardProfile").c_str(), 0,
                                             KEY_READ, &created));
}

TEST_F(Firewall, AProgramNameThatCannotBeAFileFailsItsLineOnly) {
    CreateKey("DomainProfile");
    CreateKey("StandardProfile");
    EXPECT_FALSE(Add(std::string(10000, 'a') + ".exe|Long\r\nbad<name>.exe|Bad\r\nClient.exe|Client\r\n"));
    EXPECT_EQ(kFailedText, error_);
    ExpectEntry("Client.exe", "Client");
    EXPECT_EQ("<missing>", ReadValue("DomainProfile", Program("bad<name>.exe")).data);
}

TEST_F(Firewall, ProgressCountsEveryLineFailedOrNot) {
    CreateKey("DomainProfile");
    installtest::RegisterRecorder recorder;
    RegisterProgress progress{&recorder, 7, 7};
    recorder.expected = &progress;
    const std::string list = "Client.exe|Client\r\n\r\nOther.exe\r\n";
    EXPECT_FALSE(Entered(install::AddFirewallExceptions(listPath_, list, &progress)));
    EXPECT_EQ(std::vector<int32_t>({102, 202}), recorder.seen);

    RegisterProgress windowless{nullptr, 7, 7};
    EXPECT_FALSE(Entered(install::AddFirewallExceptions(listPath_, list, &windowless)));
    EXPECT_EQ(7, windowless.current);
    EXPECT_EQ(7, windowless.count);
}

TEST_F(Firewall, NoKeysAtAllFailsWithTheProcessingText) {
    EXPECT_FALSE(Add("Client.exe|Client\r\n"));
    EXPECT_EQ(kFailedText, error_);
    EXPECT_FALSE(install::AddAuthorizedApplication(Program("Client.exe"), "Client"));
}

TEST_F(Firewall, UnreadableListGivesItsText) {
    const std::string text = "방화벽에 등록할 목록을 가져오는 데 실패하였습니다!";
    EXPECT_FALSE(Entered(install::AddFirewallExceptions(dir_ / "absent.ini", "", nullptr)));
    EXPECT_EQ(text, error_);
    error_.clear();
    EXPECT_FALSE(Add("\r\n   \r\n"));
    EXPECT_EQ(text, error_);
}

TEST(FirewallSystem, BenchCountsAsXPOrLater) { EXPECT_TRUE(install::IsWindowsXPOrLater()); }

}  // namespace
