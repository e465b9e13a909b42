// arkenfel_release_list.exe run as its own process, as an operator runs it:
// exit codes, and messages on the right stream.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/unique_handle.h"
#include "tests/integration/release_list/release_fixture.h"

namespace {

struct ToolRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

base::UniqueFile InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return base::UniqueFile(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                          CREATE_ALWAYS, 0, nullptr));
}

// Output goes to files: a pipe could be held open by a lingering process.
ToolRun RunTool(const std::string& arguments, const testenv::ScratchDir& scratch) {
    ToolRun run;
    const std::string outPath = scratch / "tool.out", errPath = scratch / "tool.err";
    {
        base::UniqueFile out = InheritableFile(outPath), err = InheritableFile(errPath);
        if (!out || !err) {
            ADD_FAILURE() << "cannot create output files";
            return run;
        }
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = out.get();
        startup.hStdError = err.get();
        std::string command = "\"" + testenv::BinDir() + "arkenfel_release_list.exe\" " + arguments;
        PROCESS_INFORMATION info = {};
        if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_DEFAULT_ERROR_MODE | CREATE_NO_WINDOW,
                              nullptr, nullptr, &startup, &info)) {
            ADD_FAILURE() << "cannot start the tool: " << ::GetLastError();
            return run;
        }
        base::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
        if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process.get(), 99);
            ADD_FAILURE() << "the tool did not end within 60 s";
        }
        ::GetExitCodeProcess(process.get(), &run.exitCode);
    }
    run.out = testenv::ReadFileBytes(outPath);
    run.err = testenv::ReadFileBytes(errPath);
    return run;
}

TEST(ToolProcess, PublishesAndReportsSuccess) {
    release_test::ReleaseFolder folder("release_list_exe");
    const ToolRun run = RunTool("--release \"" + folder.Release() + "\" --include-list --gateway \"" + folder.Root() +
                                    "\" --key \"\" --key beta --section DATA=data/",
                                folder.Scratch());
    EXPECT_EQ(0u, run.exitCode) << run.out << run.err;
    EXPECT_NE(std::string::npos, run.out.find("Arkenfel_List.ini: 4 files")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("[DATA] 1 files")) << run.out;
    EXPECT_EQ("2026a\r\nbeta=2026a\r\n", testenv::ReadFileBytes(folder.Root() + "\\gateway.ini"));
    EXPECT_EQ(5u, release_test::ReadList(folder.ListPath()).size());
}

TEST(ToolProcess, FailsWithTheReasonAndWithoutAList) {
    release_test::ReleaseFolder folder("release_list_exe_fail");
    folder.Write("empty.dat", "");
    ToolRun run = RunTool("--release \"" + folder.Release() + "\"", folder.Scratch());
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("\"empty.dat\" is empty")) << run.err;
    EXPECT_FALSE(testenv::FileExists(folder.ListPath()));

    run = RunTool("--release", folder.Scratch());
    EXPECT_EQ(2u, run.exitCode);
    EXPECT_NE(std::string::npos, run.err.find("usage:")) << run.err;

    run = RunTool("--help", folder.Scratch());
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_NE(std::string::npos, run.out.find("--include-list")) << run.out;
}

}  // namespace
