// Which program a command line starts, and that a gate decides before any
// start: the program is named by its full path, found beside the updater or
// in the system's folders, never in the current directory or along PATH.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/system_folders.h"
#include "install/process_launch.h"
#include "install/program_path.h"
#include "tests/integration/install/install_test_support.h"
#include "tests/support/recording_report.h"
#include "tests/support/test_env.h"

namespace {

using install::ResolveProgram;

// Runs with the current directory and PATH pointing at `folder`.
class SteeredSearch {
public:
    explicit SteeredSearch(const std::string& folder) {
        ::GetCurrentDirectoryA(MAX_PATH, directory_);
        path_.resize(32767);
        path_.resize(::GetEnvironmentVariableA("PATH", &path_[0], static_cast<DWORD>(path_.size())));
        ::SetCurrentDirectoryA(folder.c_str());
        ::SetEnvironmentVariableA("PATH", (folder + ";" + path_).c_str());
    }
    ~SteeredSearch() {
        ::SetCurrentDirectoryA(directory_);
        ::SetEnvironmentVariableA("PATH", path_.c_str());
    }

private:
    char directory_[MAX_PATH] = {};
    std::string path_;
};

TEST(ResolveProgram, LooksOnlyBesideTheProgramAndInTheSystemsFolders) {
    testenv::ScratchDir home("resolve_home"), steered("resolve_steered");
    const std::string systemTool = base::SystemFolder() + "\\regsvr32.exe";
    ASSERT_TRUE(testenv::FileExists(systemTool));
    EXPECT_EQ(systemTool, ResolveProgram("regsvr32 /s x.dll", home.path()));
    // A program of that name beside the updater comes first, as with
    // CreateProcess: so the system's own programs are named by full path.
    testenv::WriteFileBytes(home / "regsvr32.exe", "planted");
    EXPECT_EQ(home / "regsvr32.exe", ResolveProgram("regsvr32 /s x.dll", home.path()));

    testenv::WriteFileBytes(steered / "planted.exe", "planted");
    {
        SteeredSearch search(steered.path());
        EXPECT_EQ("", ResolveProgram("planted.exe /q", home.path()));
        EXPECT_EQ("", ResolveProgram("planted", home.path()));
    }

    ASSERT_TRUE(::CreateDirectoryA((home / "My Tools").c_str(), nullptr));
    testenv::WriteFileBytes(home / "My Tools\\setup.exe", "x");
    const std::string setup = home / "My Tools\\setup.exe";
    EXPECT_EQ(setup, ResolveProgram(home / "My Tools\\setup /q", home.path()));
    EXPECT_EQ(setup, ResolveProgram("\"" + setup + "\" /q", home.path()));
    EXPECT_EQ(setup, ResolveProgram("My Tools\\setup.exe", home.path()));
    EXPECT_EQ("", ResolveProgram(home / "missing.exe", home.path()));
    EXPECT_EQ("", ResolveProgram("\"\" /q", home.path()));
}

TEST(StartProgram, AsksTheGateWithTheFullPathAndStartsNothingItRefuses) {
    testenv::ScratchDir dir("gated_start");
    testenv::RecordingReport report;
    const std::string program = dir / "run.exe";
    ASSERT_TRUE(::CopyFileA((testenv::BinDir() + "fixture_sleeper.exe").c_str(), program.c_str(), FALSE));
    installtest::RefusingGate gate;
    EXPECT_FALSE(install::StartProgram(gate, report, "\"" + program + "\" 0 " + dir / "a.rec", false));
    EXPECT_EQ(static_cast<DWORD>(-1), install::RunForExitCode(gate, program + " 0 " + dir / "b.rec", INFINITE));
    EXPECT_EQ((std::vector<std::string>{program, program}), gate.asked);
    EXPECT_EQ(0u, report.boxes.size());
    ::Sleep(300);
    EXPECT_FALSE(testenv::FileExists(dir / "a.rec"));
    EXPECT_FALSE(testenv::FileExists(dir / "b.rec"));
}

}  // namespace
