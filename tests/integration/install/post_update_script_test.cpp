// The post-update script against real processes (fixture_sleeper as the
// installer), the real registry and the Windows font folder.
#include <windows.h>

#include <gtest/gtest.h>

#include "install/post_update_script.h"
#include "install/process_launch.h"
#include "install/script_keywords.h"
#include "tests/integration/install/install_test_support.h"
#include "tests/support/recording_report.h"
#include "tests/support/test_env.h"

namespace {

using installtest::CountRecordedLines;
using installtest::TempRegistryKey;
using testenv::FileExists;

const char kFailedLine[] = "\n해당 라인을 처리할 수 없습니다!";

class Script : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(::CopyFileA((testenv::BinDir() + "fixture_sleeper.exe").c_str(), (dir_ / "abc.exe").c_str(),
                                FALSE));
    }
    // "abc.exe <ms> <record> <exit>": the installer line's field 0.
    std::string Installer(int ms, const std::string& record, int exitCode = 0) const {
        return "abc.exe " + std::to_string(ms) + " " + dir_ / record + " " + std::to_string(exitCode);
    }
    bool Run(const std::string& text) {
        testenv::WriteFileBytes(script_, text);
        return install::RunPostUpdateScript(script_, dir_.path(), install::OpenGate(), report_);
    }

    testenv::ScratchDir dir_{"script"};
    std::string script_ = dir_ / "Arkenfel_Update.ini";
    testenv::RecordingReport report_;
};

TEST_F(Script, NameIsTheExecutablesWithIni) {
    EXPECT_EQ("C:\\ARKENFEL\\Arkenfel_Update.ini", install::ScriptPathFor("C:\\ARKENFEL\\Arkenfel_Update.exe"));
    EXPECT_EQ("C:\\ARKENFEL\\updater.ini", install::ScriptPathFor("C:\\ARKENFEL\\updater"));
}

TEST_F(Script, WaitMinusOneSucceedsOnlyOnExitCodeZero) {
    EXPECT_TRUE(Run(Installer(300, "ok.rec", 0) + "|$WAIT$:-1\r\n"));
    EXPECT_EQ(1, CountRecordedLines(dir_ / "ok.rec"));
    EXPECT_EQ(0u, report_.boxes.size());
    EXPECT_FALSE(FileExists(script_));

    const std::string failing = Installer(300, "bad.rec", 3) + "|$WAIT$:-1";
    EXPECT_FALSE(Run("  " + failing + "  \r\n"));
    EXPECT_EQ(1, CountRecordedLines(dir_ / "bad.rec"));
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ(failing + kFailedLine, report_.boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), report_.boxes[0].type);
    EXPECT_FALSE(FileExists(script_));
}

TEST_F(Script, RunScriptLineReportsTheExitCodeOrStillActive) {
    EXPECT_EQ(0u, install::RunScriptLine(install::OpenGate(), dir_ / Installer(0, "a.rec", 0), nullptr, INFINITE, "", ""));
    EXPECT_EQ(7u, install::RunScriptLine(install::OpenGate(), dir_ / "abc.exe 0", (dir_ / "a.rec 7").c_str(), INFINITE, "", ""));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE),
              install::RunScriptLine(install::OpenGate(), dir_ / Installer(1500, "a.rec", 0), nullptr, 0, "", ""));
    EXPECT_EQ(static_cast<DWORD>(-1), install::RunScriptLine(install::OpenGate(), dir_ / "missing.exe", nullptr, INFINITE, "", ""));
    EXPECT_TRUE(installtest::WaitForLines(dir_ / "a.rec", 3));
    ::Sleep(1700);  // let the unfinished one end before the folder goes
}

TEST_F(Script, RegistryVersionGatesTheInstaller) {
    TempRegistryKey key(HKEY_CURRENT_USER, "Software\\ArkenfelTests\\Script");
    const std::string line = Installer(0, "gated.rec") +
                             "|$WAIT$:5000|$REG_PATH$:HKEY_CURRENT_USER\\Software\\ArkenfelTests\\Script\\Version"
                             "|$REG_VALUE$:1.2.0.0\r\n";
    key.SetString("Version", "1.2.0.0");
    EXPECT_TRUE(Run(line));
    key.SetString("Version", "2.0.0.0");
    EXPECT_TRUE(Run(line));
    EXPECT_EQ(0, CountRecordedLines(dir_ / "gated.rec"));

    ::RegDeleteValueA(key.get(), "Version");
    EXPECT_TRUE(Run(line));
    EXPECT_EQ(1, CountRecordedLines(dir_ / "gated.rec"));
    // 1.3 reads as 0x10003, below 0x0001000200000000.
    key.SetString("Version", "1.3");
    EXPECT_TRUE(Run(line));
    EXPECT_EQ(2, CountRecordedLines(dir_ / "gated.rec"));
    // Program lines never write the registry themselves.
    EXPECT_EQ("1.3", key.GetString("Version"));
    EXPECT_EQ(0u, report_.boxes.size());
}

TEST_F(Script, UnknownRootOrAbsentKeyCountsAsVersionZero) {
    const std::string tail = "|$WAIT$:5000|$REG_VALUE$:1.0\r\n";
    EXPECT_TRUE(Run(Installer(0, "r.rec") + "|$REG_PATH$:HKLM\\Software\\X\\Version" + tail));
    EXPECT_TRUE(Run(Installer(0, "r.rec") + "|$REG_PATH$:HKEY_CURRENT_USER\\Software\\NoSuchKey\\V" + tail));
    EXPECT_EQ(2, CountRecordedLines(dir_ / "r.rec"));
    // A value of 0 is never newer than an absent one.
    EXPECT_TRUE(Run(Installer(0, "r.rec") + "|$WAIT$:5000|$REG_PATH$:HKLM\\X\\V|$REG_VALUE$:0\r\n"));
    EXPECT_EQ(2, CountRecordedLines(dir_ / "r.rec"));
}

// The program of a simple line is found by the system's search (here: beside
// the test program); a path out of the install folder would be refused.
TEST_F(Script, HideMarkerIsCaseSensitiveAndStartsTheRestOfTheLine) {
    const std::string upper = "fixture_sleeper.exe 0 " + dir_ / "upper.rec";
    EXPECT_TRUE(Run("$hide$ fixture_sleeper.exe 0 " + dir_ / "lower.rec" + "\r\n" + "$HIDE$ " + upper + "\r\n"));
    ASSERT_TRUE(installtest::WaitForFile(dir_ / "upper.rec"));
    const std::string recorded = testenv::ReadFileBytes(dir_ / "upper.rec");
    // The marker is cut out together with the blank that followed it.
    EXPECT_EQ(upper + "\r\n", recorded);
    // "$hide$" stays part of the command: that program does not exist, and
    // "file not found" is not reported.
    EXPECT_FALSE(FileExists(dir_ / "lower.rec"));
    EXPECT_EQ(0u, report_.boxes.size());
    EXPECT_FALSE(FileExists(script_));
}

TEST_F(Script, EmptyKeywordFieldMeansNoWait) {
    const std::string line = Installer(1000, "nowait.rec") + "|";
    EXPECT_FALSE(Run(line + "\r\n"));
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ(line + kFailedLine, report_.boxes[0].text);
    ::Sleep(1200);
}

TEST_F(Script, KeywordsMatchInUpperCaseAnywhereInTheField) {
    EXPECT_TRUE(Run(Installer(300, "k.rec") + "|$wait$:10000\r\n" + Installer(300, "k.rec") + "| x$WAIT$:10000 \r\n"));
    EXPECT_EQ(2, CountRecordedLines(dir_ / "k.rec"));
    EXPECT_EQ(0u, report_.boxes.size());

    base::StringList fields = {"p", "$Reg_Value$: Abc ", "$WAIT$:1", "nothing", "$WAIT$:2"};
    const install::ScriptKeywords keywords = install::ParseScriptKeywords(fields);
    EXPECT_EQ("Abc", keywords.regValue);
    EXPECT_EQ("2", keywords.wait);
    EXPECT_EQ("", keywords.regPath);
    EXPECT_EQ(INFINITE, install::WaitMillisecondsFromText("-1"));
    EXPECT_EQ(0u, install::WaitMillisecondsFromText("soon"));
}

TEST_F(Script, FailedLineStopsTheRestAndTheScriptIsGone) {
    EXPECT_FALSE(Run(Installer(0, "1.rec") + "|$WAIT$:-1\r\n\r\n" + Installer(0, "2.rec", 5) + "|$WAIT$:-1\r\n" +
                     Installer(0, "3.rec") + "|$WAIT$:-1\r\n" + dir_ / Installer(0, "4.rec") + "\r\n"));
    EXPECT_EQ(1, CountRecordedLines(dir_ / "1.rec"));
    EXPECT_EQ(1, CountRecordedLines(dir_ / "2.rec"));
    ::Sleep(500);
    EXPECT_FALSE(FileExists(dir_ / "3.rec"));
    EXPECT_FALSE(FileExists(dir_ / "4.rec"));
    EXPECT_EQ(1u, report_.boxes.size());
    EXPECT_FALSE(FileExists(script_));
}

// The box echoes a few hundred bytes of the line: the system's box cannot
// carry 32 KiB, and a Korean character is never cut in half.
TEST_F(Script, AFailedLineOfThousandsOfFieldsIsEchoedCut) {
    std::string line = "nosuch.exe";
    for (int i = 0; i < 5000; ++i) line += "|$WAIT$:1";
    std::string korean = "없는프로그램.exe|" + std::string(199, 'x') + "|";
    for (int i = 0; i < 4; ++i) korean += "가나다라마바사아자차카타파하";
    EXPECT_FALSE(Run(line + "\r\n"));
    EXPECT_FALSE(Run(korean + "\r\n"));
    ASSERT_EQ(2u, report_.boxes.size());
    const std::string mark = " ..." + std::string(kFailedLine);
    for (const std::string& text : {report_.boxes[0].text, report_.boxes[1].text}) {
        ASSERT_GT(text.size(), mark.size());
        EXPECT_LE(text.size(), 300 + mark.size());
        EXPECT_EQ(mark, text.substr(text.size() - mark.size()));
    }
    EXPECT_EQ(0u, line.find(report_.boxes[0].text.substr(0, 300)));
    // 217 single bytes before the Korean field: byte 300 is a lead byte.
    EXPECT_EQ(korean.substr(0, 299) + mark, report_.boxes[1].text);
}

// Names that cannot be files fail at once: the font functions never come
// back from one, and CreateProcess takes no command line over 32767.
TEST_F(Script, NamesThatCannotBeFilesFailAtOnce) {
    const std::string font = std::string(10000, 'f') + ".ttf|$REG_PATH$:HKEY_CURRENT_USER\\Software\\X\\F";
    const std::string program = "nosuch.exe " + std::string(40000, 'p') + "|$WAIT$:-1";
    EXPECT_FALSE(Run(font + "\r\n"));
    EXPECT_FALSE(Run(program + "\r\n"));
    ASSERT_EQ(2u, report_.boxes.size());
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), report_.boxes[1].type);
    EXPECT_FALSE(install::StartProgram(install::OpenGate(), report_, std::string(40000, 's'), false));
    ASSERT_EQ(3u, report_.boxes.size());
    EXPECT_NE(std::string::npos, report_.boxes[2].text.find("Run Error: [206]"));
    EXPECT_LT(report_.boxes[2].text.size(), 1000u);
}

TEST_F(Script, MissingScriptFailsSilently) {
    EXPECT_FALSE(install::RunPostUpdateScript(script_, dir_.path(), install::OpenGate(), report_));
    EXPECT_EQ(0u, report_.boxes.size());
}

class FontLine : public Script {
protected:
    void SetUp() override {
        Script::SetUp();
        char windows[MAX_PATH] = {};
        ::GetWindowsDirectoryA(windows, MAX_PATH);
        installed_ = std::string(windows) + "\\Fonts\\" + kFont;
        RemoveInstalled();
        ASSERT_TRUE(::CopyFileA(
            testenv::UnixToWindowsPath("/usr/share/fonts/truetype/nanum/NanumGothicCoding.ttf").c_str(),
            (dir_ / kFont).c_str(), FALSE));
    }
    void TearDown() override { RemoveInstalled(); }
    void RemoveInstalled() {
        while (::RemoveFontResourceA(kFont)) {
        }
        ::DeleteFileA(installed_.c_str());
    }

    static constexpr const char* kFont = "ArkTestFont.ttf";
    std::string installed_;
    const std::string regPath_ = "$REG_PATH$:HKEY_CURRENT_USER\\Software\\ArkenfelTests\\Font\\Font";
};

TEST_F(FontLine, InstallsOnceThenIsSkippedWhenTheValueMatches) {
    TempRegistryKey key(HKEY_CURRENT_USER, "Software\\ArkenfelTests\\Font");
    const std::string line = std::string(kFont) + "|" + regPath_ + "|$REG_VALUE$:1\r\n";
    EXPECT_TRUE(Run(line));
    EXPECT_EQ(0u, report_.boxes.size());
    EXPECT_TRUE(FileExists(installed_));
    EXPECT_EQ("1", key.GetString("Font"));

    RemoveInstalled();
    EXPECT_TRUE(Run(line));
    EXPECT_FALSE(FileExists(installed_));  // skipped: nothing copied

    key.SetString("Font", "0");
    EXPECT_TRUE(Run(line));
    EXPECT_TRUE(FileExists(installed_));
    EXPECT_EQ("1", key.GetString("Font"));
}

TEST_F(FontLine, FailsWithoutARegistryPathOrAnExistingKey) {
    const std::string noPath = std::string(kFont) + "|$REG_VALUE$:1";
    EXPECT_FALSE(Run(noPath + "\r\n"));
    EXPECT_TRUE(FileExists(installed_));  // copied all the same
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ(noPath + kFailedLine, report_.boxes[0].text);

    installtest::DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\ArkenfelTests\\Font");
    EXPECT_FALSE(Run(std::string(kFont) + "|" + regPath_ + "|$REG_VALUE$:1\r\n"));
    HKEY created = nullptr;
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ArkenfelTests\\Font", 0, KEY_READ, &created));
    EXPECT_EQ(2u, report_.boxes.size());
}

TEST(StartProgram, JoinsArgumentsAndReportsOnlyRealStartFailures) {
    testenv::ScratchDir dir("start");
    testenv::RecordingReport report;
    ASSERT_TRUE(::CopyFileA((testenv::BinDir() + "fixture_sleeper.exe").c_str(), (dir / "run.exe").c_str(), FALSE));
    EXPECT_TRUE(install::StartProgram(install::OpenGate(), report, dir / "run.exe", true, ("0 " + dir / "run.rec").c_str()));
    ASSERT_TRUE(installtest::WaitForFile(dir / "run.rec"));
    EXPECT_NE(std::string::npos, testenv::ReadFileBytes(dir / "run.rec").find("run.exe 0 " + dir / "run.rec"));

    EXPECT_FALSE(install::StartProgram(install::OpenGate(), report, dir / "missing.exe", false));
    EXPECT_EQ(0u, report.boxes.size());

    // A file that is no program fails with ERROR_BAD_EXE_FORMAT, which is shown.
    testenv::WriteFileBytes(dir / "bad.exe", "not a program");
    EXPECT_FALSE(install::StartProgram(install::OpenGate(), report, dir / "bad.exe", false, "/q"));
    ASSERT_EQ(1u, report.boxes.size());
    const std::string head = dir / "bad.exe /q\r\nRun Error: [193] ";
    EXPECT_EQ(0u, report.boxes[0].text.find(head)) << report.boxes[0].text;
    EXPECT_GT(report.boxes[0].text.size(), head.size());
    EXPECT_EQ(static_cast<UINT>(MB_OK), report.boxes[0].type);
    ::Sleep(300);
}

// How each starter asks the program to show itself.
TEST(StartProgram, HideFlagStartsHiddenAndTheScriptMarkerSetsIt) {
    testenv::ScratchDir dir("showstate");
    testenv::RecordingReport report;
    const std::string program = testenv::BinDir() + "fixture_startinfo.exe";
    EXPECT_TRUE(install::StartProgram(install::OpenGate(), report, program, true, (dir / "hidden.txt").c_str()));
    EXPECT_TRUE(install::StartProgram(install::OpenGate(), report, program + " " + dir / "shown.txt", false));
    EXPECT_EQ(0u, install::RunAndWait(install::OpenGate(), program, (dir / "waited.txt").c_str()));
    testenv::WriteFileBytes(dir / "script.ini", "$HIDE$ fixture_startinfo.exe " + dir / "script.txt\r\n");
    EXPECT_TRUE(install::RunPostUpdateScript(dir / "script.ini", dir.path(), install::OpenGate(), report));
    for (const char* file : {"hidden.txt", "shown.txt", "script.txt"}) ASSERT_TRUE(installtest::WaitForFile(dir / file));

    EXPECT_EQ("flags=1 show=0", testenv::ReadFileBytes(dir / "hidden.txt"));
    EXPECT_EQ("flags=1 show=1", testenv::ReadFileBytes(dir / "shown.txt"));
    EXPECT_EQ("flags=0 show=0", testenv::ReadFileBytes(dir / "waited.txt"));
    EXPECT_EQ("flags=1 show=0", testenv::ReadFileBytes(dir / "script.txt"));
    EXPECT_EQ(0u, report.boxes.size());
}

}  // namespace

