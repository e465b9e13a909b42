// Component registration with real DLLs: fixture_component.dll (type library,
// registers its class) and fixture_plain.dll (no type library). Each fixture
// logs every registration, with the host program, beside itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "install/component_registration.h"
#include "tests/integration/install/install_test_support.h"
#include "tests/support/test_env.h"

namespace {

using installtest::CountRecordedLines;

const char kClsid[] = "{6F1C3A52-8D0E-4B7A-9C41-2A7D5E9B1F03}";
const char kProgId[] = "ArkenfelFixture.Component.1";

void ForgetRegistration() {
    installtest::DeleteRegistryTree(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClsid);
    installtest::DeleteRegistryTree(HKEY_CLASSES_ROOT, kProgId);
    installtest::DeleteRegistryTree(HKEY_CLASSES_ROOT, "TypeLib\\{6F1C3A52-8D0E-4B7A-9C41-2A7D5E9B1F01}");
}

std::string ClassDefaultValue(const std::string& subKey) {
    char data[MAX_PATH] = {};
    LONG size = sizeof(data);
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, subKey.c_str(), data, &size) != ERROR_SUCCESS) return "<missing>";
    return data;
}

class Components : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetRegistration();
        ::SetEnvironmentVariableA("FIXTURE_FAIL_IN_PROCESS", nullptr);
        ASSERT_TRUE(::CopyFileA((testenv::BinDir() + "fixture_component.dll").c_str(), (dir_ / "comp.dll").c_str(), FALSE));
        ASSERT_TRUE(::CopyFileA((testenv::BinDir() + "fixture_plain.dll").c_str(), (dir_ / "plain.dll").c_str(), FALSE));
    }
    void TearDown() override {
        ::SetEnvironmentVariableA("FIXTURE_FAIL_IN_PROCESS", nullptr);
        ForgetRegistration();
    }
    bool Register(const std::string& list, bool sameFolder, const std::map<std::string, std::string>& updated = {},
                  RegisterProgress* progress = nullptr) {
        testenv::WriteFileBytes(setup_, list);
        const install::StepResult result =
            install::RegisterComponents(setup_, list, install::OpenGate(), updated, sameFolder, progress);
        error_ = result.text;
        return result.ok;
    }
    int Registrations(const std::string& dll) const { return CountRecordedLines(dir_ / (dll + ".log")); }

    testenv::ScratchDir dir_{"components"};
    std::string setup_ = dir_ / "setup.bat";
    std::string error_;
};

TEST_F(Components, FirstRunInANewFolderRegistersEveryDll) {
    EXPECT_TRUE(Register("comp.dll\r\nplain.dll\r\n", false));
    EXPECT_EQ(1, Registrations("comp.dll"));
    EXPECT_EQ(1, Registrations("plain.dll"));
    EXPECT_EQ("", error_);
    EXPECT_EQ(dir_ / "comp.dll", ClassDefaultValue(std::string("CLSID\\") + kClsid + "\\InprocServer32"));
    EXPECT_EQ(kProgId, ClassDefaultValue(std::string("CLSID\\") + kClsid + "\\ProgID"));

    std::string clsid, progId;
    EXPECT_TRUE(install::FindRegisteredCoClass(dir_ / "comp.dll", clsid, progId));
    EXPECT_EQ(kClsid, clsid);
    EXPECT_EQ(kProgId, progId);
}

TEST_F(Components, SameFolderRegistersOnlyFetchedAndUnregisteredDlls) {
    ASSERT_TRUE(Register("comp.dll\r\nplain.dll\r\n", false));
    // comp.dll is registered; plain.dll has no type library, so it always counts as unregistered.
    EXPECT_TRUE(Register("comp.dll\r\nplain.dll\r\n", true));
    EXPECT_EQ(1, Registrations("comp.dll"));
    EXPECT_EQ(2, Registrations("plain.dll"));

    // Fetched in this run: registered again. The key is the line, case and all.
    EXPECT_TRUE(Register("comp.dll\r\n", true, {{"COMP.DLL", "COMP.DLL"}}));
    EXPECT_EQ(1, Registrations("comp.dll"));
    EXPECT_TRUE(Register("comp.dll\r\n", true, {{"comp.dll", "comp.dll"}}));
    EXPECT_EQ(2, Registrations("comp.dll"));

    // Its registration gone: registered again.
    ForgetRegistration();
    std::string clsid, progId;
    EXPECT_FALSE(install::FindRegisteredCoClass(dir_ / "comp.dll", clsid, progId));
    EXPECT_TRUE(Register("comp.dll\r\n", true));
    EXPECT_EQ(3, Registrations("comp.dll"));
}

// The gate decides before any byte of a component is read: one registered
// already is asked for too (its type library is what tells), and a refused
// one is neither read nor registered.
TEST_F(Components, AComponentIsAskedOfTheGateBeforeItsTypeLibraryIsRead) {
    ASSERT_TRUE(Register("comp.dll\r\n", false));
    installtest::RefusingGate gate;
    testenv::WriteFileBytes(setup_, "comp.dll\r\n");
    EXPECT_TRUE(install::RegisterComponents(setup_, "comp.dll\r\n", gate, {}, true, nullptr));
    EXPECT_EQ(std::vector<std::string>{dir_ / "comp.dll"}, gate.asked);
    EXPECT_EQ(1, Registrations("comp.dll"));
}

TEST_F(Components, FailedInProcessAttemptFallsBackToRegsvr32) {
    ::SetEnvironmentVariableA("FIXTURE_FAIL_IN_PROCESS", "1");
    EXPECT_TRUE(Register("comp.dll\r\n", false));
    ASSERT_EQ(1, Registrations("comp.dll"));
    EXPECT_EQ("regsvr32.exe\r\n", installtest::ToLower(testenv::ReadFileBytes(dir_ / "comp.dll.log")));
}

TEST_F(Components, MissingDllIsSilentAndTheNextLineStillRuns) {
    EXPECT_TRUE(Register("missing.dll\r\nplain.dll\r\n", false));
    EXPECT_EQ(1, Registrations("plain.dll"));
    EXPECT_EQ("", error_);
    std::string clsid, progId;
    EXPECT_FALSE(install::FindRegisteredCoClass(dir_ / "missing.dll", clsid, progId));
}

// Found in this folder before (sameFolder), a name is looked up in its type
// library: with 10,000 characters the loader overran its stack. It fails at
// once now, without regsvr32, and the next line is still registered.
TEST_F(Components, ANameThatCannotBeAFileFailsAtOnceAndTheNextLineStillRuns) {
    EXPECT_TRUE(Register(std::string(10000, 'a') + ".dll\r\nplain.dll\r\n", true));
    EXPECT_EQ(1, Registrations("plain.dll"));
}

TEST_F(Components, BlankLinesAndSurroundingBlanksChangeNothing) {
    installtest::RegisterRecorder recorder;
    RegisterProgress progress{&recorder, 5, 9};
    recorder.expected = &progress;
    EXPECT_TRUE(Register("\r\n  plain.dll  \r\n\r\n \t \r\n", false, {}, &progress));
    EXPECT_EQ(1, Registrations("plain.dll"));
    EXPECT_EQ(std::vector<int32_t>({101}), recorder.seen);  // item 1 of 1

    recorder.seen.clear();
    progress = {&recorder, 0, 0};
    EXPECT_TRUE(Register("comp.dll\r\nplain.dll", false, {}, &progress));
    EXPECT_EQ(std::vector<int32_t>({102, 202}), recorder.seen);
    EXPECT_EQ(2, progress.current);
}

TEST_F(Components, EmptyListGivesItsText) {
    const std::string text = "등록 또는 해제할 DLL 목록을 불러올 수 없습니다!";
    EXPECT_FALSE(Register("\r\n  \r\n", false));
    EXPECT_EQ(text, error_);
}

}  // namespace
