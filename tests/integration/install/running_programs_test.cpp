// Running-program detection with real processes (fixture_holdfile holds a file
// exclusively, fixture_loaddll keeps a DLL loaded), the window's report asking
// with the real retry dialog from the updater's resources, and the helper
// extraction that depends on both.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/updater_resources.h"
#include "app/window_report.h"
#include "base/ansi_text.h"
#include "base/unique_handle.h"
#include "install/instance_checker.h"
#include "install/running_programs.h"
#include "install/update_helper_file.h"
#include "res/resource.h"
#include "tests/integration/install/dialog_answerer.h"
#include "tests/integration/install/install_test_support.h"
#include "tests/support/recording_report.h"
#include "tests/support/test_env.h"

namespace {

using installtest::DialogAnswerer;

// A fixture process that is ended when the test is done with it.
class Child {
public:
    explicit Child(const std::string& commandLine) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
            process_.reset(info.hProcess);
            ::CloseHandle(info.hThread);
        }
    }
    ~Child() { End(); }
    bool started() const { return process_.valid(); }
    void End() {
        if (!process_) return;
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 5000);
        process_.reset();
    }

private:
    base::UniqueKernelHandle process_;
};

class RunningPrograms : public ::testing::Test {
protected:
    void SetUp() override { app::UseUpdaterResources(); }

    // Holds `path` exclusively until the test ends (or End()).
    std::unique_ptr<Child> Hold(const std::string& path) {
        const std::string ready = path + ".held";
        auto child = std::make_unique<Child>(testenv::BinDir() + "fixture_holdfile.exe " + path + " 60000 " + ready);
        EXPECT_TRUE(child->started());
        EXPECT_TRUE(installtest::WaitForFile(ready));
        return child;
    }

    testenv::ScratchDir dir_{"running"};
};

// (A read-only file would count as locked too, but the bench runs Wine as
// root, where the attribute does not stop an open for writing.)
TEST_F(RunningPrograms, LockedMeansHeldButNeverMissing) {
    testenv::WriteFileBytes(dir_ / "free.txt", "x");
    testenv::WriteFileBytes(dir_ / "held.txt", "x");
    auto holder = Hold(dir_ / "held.txt");

    EXPECT_FALSE(install::IsFileLocked(dir_ / "free.txt"));
    EXPECT_FALSE(install::IsFileLocked(dir_ / "missing.txt"));
    EXPECT_FALSE(install::IsFileLocked(dir_ / "no\\such\\folder.txt"));
    EXPECT_TRUE(install::IsFileLocked(dir_ / "held.txt"));
    holder->End();
    EXPECT_FALSE(install::IsFileLocked(dir_ / "held.txt"));
}

TEST_F(RunningPrograms, LoadedDllIsInUseEvenWhenItsPathOpens) {
    const std::string dll = dir_ / "Loaded.dll";
    ASSERT_TRUE(::CopyFileA((testenv::BinDir() + "fixture_plain.dll").c_str(), dll.c_str(), FALSE));
    testenv::WriteFileBytes(dir_ / "held.txt", "x");
    testenv::WriteFileBytes(dir_ / "free.txt", "x");
    Child loader(testenv::BinDir() + "fixture_loaddll.exe " + dll + " 60000 " + dir_ / "loaded.ready");
    ASSERT_TRUE(installtest::WaitForFile(dir_ / "loaded.ready"));
    auto holder = Hold(dir_ / "held.txt");

    EXPECT_TRUE(install::IsFileLocked(dll));
    // Moved aside while loaded, with a free file in its place: only the
    // module list can still tell that a program has this path loaded.
    ASSERT_TRUE(::MoveFileA(dll.c_str(), (dll + ".old").c_str()));
    testenv::WriteFileBytes(dll, "x");
    ASSERT_FALSE(install::IsFileLocked(dll));

    install::CInstanceChecker checker;
    base::StringList inUse = {"EARLIER"};
    const base::StringList files = {dir_ / "free.txt", dir_ / "held.txt", dir_ / "missing.txt",
                                    base::ToLowerAnsi(dll)};
    EXPECT_EQ(2, checker.FindFilesInUse(files, inUse));
    EXPECT_EQ(base::StringList({"EARLIER", base::ToUpperAnsi(dir_ / "held.txt"), base::ToUpperAnsi(dll)}), inUse);

    loader.End();
    inUse.clear();
    EXPECT_EQ(1, checker.FindFilesInUse(files, inUse));
}

TEST_F(RunningPrograms, NothingInUseShowsNoDialog) {
    testenv::WriteFileBytes(dir_ / "free.txt", "x");
    testenv::RecordingReport report;
    EXPECT_EQ(0, install::WaitForFilesFree({dir_ / "free.txt", dir_ / "missing.txt"}, report));
    EXPECT_TRUE(report.heldFiles.empty());
}

TEST_F(RunningPrograms, RetryWhileHeldAsksAgainAndCancelReturnsTheCount) {
    testenv::WriteFileBytes(dir_ / "a.txt", "x");
    testenv::WriteFileBytes(dir_ / "b.txt", "x");
    auto holdA = Hold(dir_ / "a.txt");
    auto holdB = Hold(dir_ / "b.txt");
    DialogAnswerer answerer([](int index) { return index == 0 ? IDC_RETRY : IDCANCEL; });
    app::WindowReport window;
    EXPECT_EQ(2, install::WaitForFilesFree({dir_ / "a.txt", dir_ / "free.txt", dir_ / "b.txt"}, window));
    const std::string listed = base::ToUpperAnsi(dir_ / "a.txt") + "\r\n" + base::ToUpperAnsi(dir_ / "b.txt") + "\r\n";
    EXPECT_EQ(std::vector<std::string>({listed, listed}), answerer.listedTexts());
}

TEST_F(RunningPrograms, RetryAfterTheProgramEndedSucceeds) {
    testenv::WriteFileBytes(dir_ / "a.txt", "x");
    auto holder = Hold(dir_ / "a.txt");
    DialogAnswerer answerer([&holder](int) {
        holder->End();
        return IDC_RETRY;
    });
    app::WindowReport window;
    EXPECT_EQ(0, install::WaitForFilesFree({dir_ / "a.txt"}, window));
    EXPECT_EQ(1u, answerer.listedTexts().size());
}

class HelperHandOff : public RunningPrograms {
protected:
    std::string built_ = testenv::ReadFileBytes(testenv::BinDir() + "UpdateHelper.exe");
    std::string path_ = dir_ / "UpdateHelper.exe";
    testenv::RecordingReport report_;  // gives up when asked to retry
};

TEST_F(HelperHandOff, ExtractedHelperIsTheBuiltOneByteForByte) {
    EXPECT_EQ(testenv::BinDir() + "UpdateHelper.exe", install::GetUpdateHelperPath());
    ASSERT_TRUE(install::ExtractUpdateHelper(path_));
    EXPECT_TRUE(testenv::ReadFileBytes(path_) == built_);
    EXPECT_FALSE(install::ExtractUpdateHelper(dir_ / "no\\such\\folder\\UpdateHelper.exe"));
}

TEST_F(HelperHandOff, IdleHelperIsOverwrittenWithoutADialog) {
    testenv::WriteFileBytes(path_, std::string(3 * built_.size(), 'x'));
    EXPECT_TRUE(install::PrepareUpdateHelper(report_, path_));
    EXPECT_TRUE(testenv::ReadFileBytes(path_) == built_);
    EXPECT_TRUE(report_.heldFiles.empty());
}

TEST_F(HelperHandOff, RunningHelperBringsUpTheDialogAndCancelKeepsIt) {
    ASSERT_TRUE(::CopyFileA((testenv::BinDir() + "fixture_sleeper.exe").c_str(), path_.c_str(), FALSE));
    const std::string before = testenv::ReadFileBytes(path_);
    Child helper(path_ + " 60000 " + dir_ / "helper.rec");
    ASSERT_TRUE(installtest::WaitForFile(dir_ / "helper.rec"));
    EXPECT_FALSE(install::PrepareUpdateHelper(report_, path_));
    EXPECT_EQ(std::vector<base::StringList>({{base::ToUpperAnsi(path_)}}), report_.heldFiles);
    EXPECT_TRUE(testenv::ReadFileBytes(path_) == before);
}

// A helper swapped between its writing and its start is not started; the
// one this program carries is, by the path it was written to.
TEST_F(HelperHandOff, OnlyTheCarriedHelperIsStarted) {
    const std::string sleeper = testenv::BinDir() + "fixture_sleeper.exe";
    ASSERT_TRUE(install::ExtractUpdateHelper(path_));
    ASSERT_TRUE(::CopyFileA(sleeper.c_str(), path_.c_str(), FALSE));
    EXPECT_FALSE(install::StartUpdateHelper(report_, path_, "0 " + dir_ / "swapped.rec"));

    ASSERT_TRUE(install::ExtractUpdateHelper(path_));
    ASSERT_TRUE(::CopyFileA(sleeper.c_str(), (dir_ / "client.exe").c_str(), FALSE));
    // Restart mode with no process to wait for starts the program at once.
    std::string digest;
    ASSERT_TRUE(install::HoldForHandOff(dir_ / "client.exe", digest));
    EXPECT_TRUE(
        install::StartUpdateHelper(report_, path_, "/restart \"" + dir_ / "client.exe" + "\" 0 0 0 " + digest));
    EXPECT_TRUE(installtest::WaitForFile(dir_ / "client.exe.record"));
    EXPECT_FALSE(testenv::FileExists(dir_ / "swapped.rec"));
    EXPECT_TRUE(report_.boxes.empty());
}

}  // namespace
