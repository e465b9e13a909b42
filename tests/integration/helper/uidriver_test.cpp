// The UI driver itself, where the helper's tests do not already exercise it:
// exit codes, the time limit over a process tree, control reading, answers
// by button text and boxes no rule matched.
#include "tests/integration/helper/helper_harness.h"

namespace helpertest {
namespace {

using Texts = std::vector<std::string>;

class UiDriver : public HelperTest {
protected:
    uidriver::Invocation Invocation(const std::string& commandLine, const std::string& log = "driver.log") {
        uidriver::Invocation run;
        run.commandLine = commandLine;
        run.logPath = Path(log);
        run.timeoutMs = 15000;
        return run;
    }
    static bool Running(DWORD pid) {
        base::UniqueKernelHandle p(::OpenProcess(SYNCHRONIZE, FALSE, pid));
        return p && ::WaitForSingleObject(p.get(), 0) == WAIT_TIMEOUT;
    }
};

TEST_F(UiDriver, PassesOnTheExitCodeOfTheStartedProgram) {
    const uidriver::RunResult result =
        uidriver::RunDriver(Invocation(Quoted(SleeperPath()) + " 0 " + Quoted(Path("s.record")) + " 7"));
    EXPECT_EQ(7u, result.exitCode);
    ASSERT_EQ(1u, result.Events("end").size());
    EXPECT_EQ(7, result.Events("end")[0]->Int("code"));
}

TEST_F(UiDriver, KillsTheWholeTreeWhenTheTimeRunsOut) {
    // A driver that runs a second driver that runs a long sleeper.
    uidriver::Invocation inner = Invocation(Quoted(SleeperPath()) + " 60000 " + Quoted(Path("s.record")), "inner.log");
    inner.timeoutMs = 60000;
    uidriver::Invocation outer = Invocation(uidriver::DriverCommandLine(inner), "outer.log");
    outer.timeoutMs = 2500;
    const uidriver::RunResult result = uidriver::RunDriver(outer);
    EXPECT_EQ(124u, result.exitCode);
    EXPECT_TRUE(result.TimedOut());
    DWORD sleeper = 0;
    for (const uidriver::JsonValue* p : result.Events("process"))
        if (p->Str("exe") == "fixture_sleeper.exe") sleeper = static_cast<DWORD>(p->Int("pid"));
    ASSERT_NE(0u, sleeper) << "the grandchild was not followed";
    EXPECT_FALSE(Running(sleeper));
    EXPECT_EQ(1u, Starts(Path("s")).size());
}

TEST_F(UiDriver, ReadsControlsAnswersByButtonTextAndReportsUnmatchedBoxes) {
    uidriver::Invocation run = Invocation(Quoted(testenv::BinDir() + "UpdateHelper.exe"));
    run.reads = {"UpdateHelper:65535,1"};
    run.answers = {"적습니다=확인"};
    run.screenshots = {{Path("box.bmp"), "적습니다"}};
    uidriver::RunResult result = uidriver::RunDriver(run);
    EXPECT_EQ(Texts{"인수가 너무 적습니다!"}, result.ControlTexts(65535));
    EXPECT_EQ(Texts{"확인"}, result.ControlTexts(1));
    ASSERT_EQ(1u, result.Events("answer").size());
    EXPECT_EQ("적습니다=확인", result.Events("answer")[0]->Str("rule"));
    EXPECT_TRUE(result.UnansweredBoxes().empty());

    // The picture is a whole 24-bit BMP of the box's size.
    ASSERT_EQ(1u, result.Events("screenshot").size());
    const uidriver::JsonValue& shot = *result.Events("screenshot")[0];
    EXPECT_TRUE(shot.Bool("ok"));
    const std::string bmp = testenv::ReadFileBytes(Path("box.bmp"));
    const long long stride = (shot.Int("width") * 3 + 3) / 4 * 4;
    ASSERT_GT(shot.Int("height"), 0);
    EXPECT_EQ("BM", bmp.substr(0, 2));
    EXPECT_EQ(static_cast<size_t>(54 + stride * shot.Int("height")), bmp.size());

    run.answers = {"no such text=1"};
    result = uidriver::RunDriver(run);
    EXPECT_EQ(0u, result.exitCode) << "the box got its default button";
    EXPECT_EQ(Texts{"인수가 너무 적습니다!"}, result.UnansweredBoxes());
}

}  // namespace
}  // namespace helpertest

namespace helpertest {
namespace {

// A dialog that stays open after Retry is answered again, rule by rule, and
// its edit box is logged at every change.
TEST_F(UiDriver, AnswersADialogThatStaysOpenInSequence) {
    uidriver::Invocation run = Invocation(Quoted(testenv::BinDir() + "fixture_dialog.exe"));
    run.answersOnce = {"사용 중=4", "사용 중=Retry"};
    run.answers = {"사용 중=2"};
    run.reads = {"Fixture Dialog:1002"};
    const uidriver::RunResult result = uidriver::RunDriver(run);
    EXPECT_EQ(2u, result.exitCode) << "two retries, then cancel";
    EXPECT_EQ((Texts{"attempt 0", "attempt 1", "attempt 2"}), result.ControlTexts(1002));
    const auto answers = result.Events("answer");
    ASSERT_EQ(3u, answers.size());
    EXPECT_EQ(4, answers[0]->Int("id"));
    EXPECT_EQ(4, answers[1]->Int("id"));
    EXPECT_EQ(2, answers[2]->Int("id"));
    EXPECT_TRUE(result.Events("box").empty()) << "a dialog with an edit box is no message box";
    ASSERT_FALSE(result.Events("dialog").empty());
    EXPECT_EQ("Fixture Dialog", result.Events("dialog")[0]->Str("title"));
}

}  // namespace
}  // namespace helpertest
