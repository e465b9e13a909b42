// The retry dialog as a user meets it: a separate program waits for a held
// file, and the UI driver reads the dialog's file list and presses its buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/ansi_text.h"
#include "tests/integration/install/install_test_support.h"
#include "tests/support/test_env.h"
#include "tests/tools/uidriver/client/uidriver_client.h"

namespace {

TEST(RetryDialogUnderTheDriver, ListsTheHeldFileAndRetriesUntilCancelled) {
    testenv::ScratchDir dir("waitfree");
    const std::string held = dir / "Held.dat";
    testenv::WriteFileBytes(held, "x");
    testenv::WriteFileBytes(dir / "free.dat", "x");
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::string holdLine = testenv::BinDir() + "fixture_holdfile.exe " + held + " 30000 " + dir / "held.ready";
    ASSERT_TRUE(::CreateProcessA(nullptr, &holdLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    ASSERT_TRUE(installtest::WaitForFile(dir / "held.ready"));

    const std::string upper = base::ToUpperAnsi(held);
    uidriver::Invocation run;
    run.commandLine = testenv::BinDir() + "fixture_waitfree.exe " + dir / "free.dat" + " " + held;
    run.logPath = dir / "driver.log";
    run.answersOnce = {upper + "=1004"};  // "재시도" once, while the file is still held
    run.answers = {upper + "=2"};         // then "취소"
    run.reads = {"#32770:1002"};
    const uidriver::RunResult result = uidriver::RunDriver(run);

    ::TerminateProcess(info.hProcess, 0);
    ::WaitForSingleObject(info.hProcess, 5000);
    ::CloseHandle(info.hProcess);
    ::CloseHandle(info.hThread);

    EXPECT_FALSE(result.TimedOut());
    EXPECT_EQ(1u, result.exitCode);
    EXPECT_EQ(2u, result.Events("dialog").size());
    EXPECT_EQ(2u, result.Events("answer").size());
    const std::vector<std::string> listed = result.ControlTexts(1002);
    ASSERT_FALSE(listed.empty());
    for (const std::string& text : listed) EXPECT_EQ(upper + "\r\n", text);
    EXPECT_TRUE(result.BoxTexts().empty());
}

}  // namespace
