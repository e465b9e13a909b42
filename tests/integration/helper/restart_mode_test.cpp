// UpdateHelper.exe /restart "<program>" <pid> <terminate flag> <time-out>
// <SHA-256>: wait for the process (or end it), then start the program again
// if it still has the bytes the updater vouched for.
#include "tests/integration/helper/helper_harness.h"

namespace helpertest {
namespace {

using Texts = std::vector<std::string>;

class RestartMode : public HelperTest {
protected:
    void SetUp() override {
        program_ = Path("updater.exe");
        PlaceSleeper(program_);
    }
    // A process to wait for: sleeps `ms`, then exits with code 7.
    base::ProcessHandles StartWaited(DWORD ms) {
        return StartProcess(Quoted(SleeperPath()) + " " + std::to_string(ms) + " " + Quoted(Path("waited.record")) +
                            " 7");
    }
    uidriver::RunResult Restart(const std::string& sw, DWORD pid, const std::string& flagAndTimeout) {
        return RunHelper(sw + " " + Quoted(program_) + " " + std::to_string(pid) + " " + flagAndTimeout + " " +
                         DigestOf(program_));
    }
    static DWORD ExitCode(const base::ProcessHandles& p) {
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(p.process.get(), &code);
        return code;
    }

    std::string program_;
};

TEST_F(RestartMode, AProcessThatNoLongerExistsMeansStartAtOnce) {
    base::ProcessHandles gone = StartWaited(0);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(gone.process.get(), 10000));
    const DWORD pid = gone.processId;
    gone.process.reset();
    gone.thread.reset();
    const uidriver::RunResult result = Restart("/RESTART", pid, "0 5000");
    EXPECT_EQ(Texts{}, result.BoxTexts());
    EXPECT_EQ(Texts{program_}, Starts(program_));
    // The driver follows the program the helper starts, as it will follow
    // the updater started again by the helper.
    EXPECT_EQ(Texts{"updater.exe"}, result.StartedExes());
    // An id that is no number counts as 0, which no process has.
    EXPECT_EQ(Texts{}, RunHelper("/rEsTaRt " + Quoted(program_) + " none 0 5000 " + DigestOf(program_)).BoxTexts());
    EXPECT_EQ((Texts{program_, program_}), Starts(program_));

    // Written over after the updater vouched for it, or with no digest at
    // all: nothing is started.
    const std::string vouched = DigestOf(program_);
    testenv::WriteFileBytes(program_, "MZ the attacker's program");
    EXPECT_EQ(Texts{program_ + "\n확인된 파일이 아니므로 실행하지 않습니다!"},
              RunHelper("/restart " + Quoted(program_) + " 0 0 0 " + vouched).BoxTexts());
    EXPECT_EQ(Texts{"인수가 너무 적습니다!"}, RunHelper("/restart " + Quoted(program_) + " 0 0 0").BoxTexts());
    EXPECT_EQ((Texts{program_, program_}), Starts(program_));
}

TEST_F(RestartMode, WaitsForAProcessThatEndsWithinTheTimeOut) {
    base::ProcessHandles waited = StartWaited(1500);
    EXPECT_EQ(Texts{}, Restart("/restart", waited.processId, "1 10000").BoxTexts());
    EXPECT_EQ(7u, ExitCode(waited)) << "it ended by itself, not by termination";
    EXPECT_EQ(Texts{program_}, Starts(program_));
}

TEST_F(RestartMode, EndsAProcessThatOutlivesTheTimeOutWhenAskedTo) {
    base::ProcessHandles waited = StartWaited(60000);
    EXPECT_EQ(Texts{}, Restart("/Restart", waited.processId, "1 500").BoxTexts());
    EXPECT_EQ(0u, ExitCode(waited)) << "terminated with exit code 0";
    EXPECT_EQ(Texts{program_}, Starts(program_));
}

TEST_F(RestartMode, LeavesAProcessThatOutlivesTheTimeOutAndStartsNothing) {
    base::ProcessHandles waited = StartWaited(60000);
    const uidriver::RunResult result = Restart("/restart", waited.processId, "0 500");
    EXPECT_EQ(STILL_ACTIVE, ExitCode(waited));
    ::TerminateProcess(waited.process.get(), 1);
    ::WaitForSingleObject(waited.process.get(), 5000);
    EXPECT_EQ(Texts{program_ + "(을)를 다시 실행할 수 없습니다!\n해당 프로그램을 종료해 주시기 바랍니다."},
              result.BoxTexts());
    EXPECT_TRUE(Starts(program_).empty());
}

TEST_F(RestartMode, AMissingProgramOrOneTooLongIsNotStarted) {
    // 259 characters: the longest path that still fits, but no such file.
    std::string missing = Path("missing");
    missing += std::string(259 - missing.size(), 'x');
    const std::string digest = " " + DigestOf(program_);
    EXPECT_EQ(Texts{missing + "\n확인된 파일이 아니므로 실행하지 않습니다!"},
              RunHelper("/restart " + Quoted(missing) + " 0 0 0" + digest).BoxTexts());
    // One more character no longer fits the command line.
    missing += "x";
    EXPECT_EQ(Texts{missing + "\n경로가 너무 길어 실행할 수 없습니다!"},
              RunHelper("/restart " + Quoted(missing) + " 0 0 0" + digest).BoxTexts());
}

// With only four arguments "/restart" is taken for the copy's path in replace
// mode; as no such copy exists, the program named second must survive.
TEST_F(RestartMode, FourArgumentsFallBackToReplaceModeAndKeepTheProgram) {
    const std::string before = testenv::ReadFileBytes(program_);
    EXPECT_EQ(Texts{"사본명을 변경하는 데 실패했습니다!"},
              RunHelper("/restart " + Quoted(program_) + " " + DigestOf(program_) + " 1").BoxTexts());
    EXPECT_EQ(before, testenv::ReadFileBytes(program_));
    EXPECT_TRUE(Starts(program_).empty());
}

}  // namespace
}  // namespace helpertest
