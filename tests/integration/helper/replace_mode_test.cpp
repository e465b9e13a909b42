// UpdateHelper.exe "<new copy>" "<target>" <SHA-256>: the target is replaced
// by the copy and started, only when the copy still has the bytes the updater
// checked; a failure leaves the files as safe as it can.
#include "tests/integration/helper/helper_harness.h"

namespace helpertest {
namespace {

using Texts = std::vector<std::string>;

class ReplaceMode : public HelperTest {
protected:
    void SetUp() override {
        target_ = Path("app.exe");
        source_ = target_ + "_";
        testenv::WriteFileBytes(target_, "the old program");
        PlaceSleeper(source_);
    }
    uidriver::RunResult Replace(const std::string& extra = "") {
        return RunHelper(Quoted(source_) + " " + Quoted(target_) + " " + DigestOf(SleeperPath()) + extra);
    }
    void ExpectReplacedAndStarted(const std::string& expectedCommandLine) {
        EXPECT_FALSE(testenv::FileExists(source_));
        EXPECT_EQ(testenv::ReadFileBytes(SleeperPath()), testenv::ReadFileBytes(target_));
        EXPECT_EQ(Texts{expectedCommandLine}, Starts(target_));
    }
    void ExpectUntouched() {
        EXPECT_EQ("the old program", testenv::ReadFileBytes(target_));
        EXPECT_EQ(testenv::ReadFileBytes(SleeperPath()), testenv::ReadFileBytes(source_));
        EXPECT_TRUE(Starts(target_).empty());
    }

    std::string target_;
    std::string source_;
};

TEST_F(ReplaceMode, ReplacesTheTargetAndStartsItAloneWithoutArguments) {
    ::SetFileAttributesA(target_.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    const uidriver::RunResult result = Replace(" extra1 \"extra 2\"");
    EXPECT_EQ(Texts{}, result.BoxTexts());
    ExpectReplacedAndStarted(target_);  // no blank in the path: not quoted
}

TEST_F(ReplaceMode, StartsAPathWithABlankAsOneQuotedCommandLine) {
    ::CreateDirectoryA(Path("new dir").c_str(), nullptr);
    target_ = Path("new dir\\my app.exe");
    source_ = target_ + "_";
    testenv::WriteFileBytes(target_, "the old program");
    PlaceSleeper(source_);
    EXPECT_EQ(Texts{}, Replace().BoxTexts());
    ExpectReplacedAndStarted(Quoted(target_));
}

TEST_F(ReplaceMode, AMissingTargetIsSimplyCreatedFromTheCopy) {
    ::DeleteFileA(target_.c_str());
    EXPECT_EQ(Texts{}, Replace().BoxTexts());
    ExpectReplacedAndStarted(target_);
}

TEST_F(ReplaceMode, WaitsForATargetThatIsHeldForAWhile) {
    base::ProcessHandles holder = HoldFile(target_, 1500);
    EXPECT_FALSE(::DeleteFileA(target_.c_str())) << "the holder must really block deletion";
    EXPECT_EQ(Texts{}, Replace().BoxTexts());
    ExpectReplacedAndStarted(target_);
}

TEST_F(ReplaceMode, ATargetThatNeverFreesKeepsBothFiles) {
    base::ProcessHandles holder = HoldFile(target_, 20000);
    const uidriver::RunResult result = Replace();
    ::TerminateProcess(holder.process.get(), 0);
    ::WaitForSingleObject(holder.process.get(), 5000);
    EXPECT_EQ(Texts{"원본 삭제에 실패했습니다!"}, result.BoxTexts());
    ExpectUntouched();
}

// Deleting the target without a copy to put in its place would leave nothing
// to start: the target stays.
TEST_F(ReplaceMode, AMissingCopyLeavesTheTargetInPlace) {
    ::DeleteFileA(source_.c_str());
    EXPECT_EQ(Texts{"사본명을 변경하는 데 실패했습니다!"}, Replace().BoxTexts());
    EXPECT_EQ("the old program", testenv::ReadFileBytes(target_));
    EXPECT_TRUE(Starts(target_).empty());

    // The same file named twice is no copy either.
    EXPECT_EQ(Texts{"사본명을 변경하는 데 실패했습니다!"},
              RunHelper(Quoted(target_) + " " + Quoted(target_) + " " + DigestOf(target_)).BoxTexts());
    EXPECT_EQ("the old program", testenv::ReadFileBytes(target_));
}

TEST_F(ReplaceMode, FewerThanThreeArgumentsOrNoDigestAreRefused) {
    EXPECT_EQ(Texts{"인수가 너무 적습니다!"}, RunHelper("").BoxTexts());
    EXPECT_EQ(Texts{"인수가 너무 적습니다!"}, RunHelper(Quoted(source_)).BoxTexts());
    EXPECT_EQ(Texts{"인수가 너무 적습니다!"}, RunHelper(Quoted(source_) + " " + Quoted(target_)).BoxTexts());
    EXPECT_EQ(Texts{"인수가 너무 적습니다!"}, RunHelper(Quoted(source_) + " " + Quoted(target_) + " abc").BoxTexts());
    ExpectUntouched();
}

// Someone wrote over the staged copy after the updater checked it: the
// helper moves nothing and starts nothing.
TEST_F(ReplaceMode, ACopyWrittenOverAfterTheCheckIsNeitherMovedNorStarted) {
    const std::string checked = DigestOf(source_);
    testenv::WriteFileBytes(source_, "MZ the attacker's program");
    const uidriver::RunResult result = RunHelper(Quoted(source_) + " " + Quoted(target_) + " " + checked);
    EXPECT_EQ(Texts{source_ + "\n확인된 파일이 아니므로 실행하지 않습니다!"}, result.BoxTexts());
    EXPECT_EQ("the old program", testenv::ReadFileBytes(target_));
    EXPECT_TRUE(Starts(target_).empty());
    EXPECT_TRUE(result.StartedExes().empty());
}

// While the updater still holds its checked copy nobody can change it, and
// the helper waits for it to let go before moving exactly those bytes.
TEST_F(ReplaceMode, WaitsForTheUpdatersHoldOnTheCopyAndMovesTheHeldBytes) {
    base::ProcessHandles holder = HoldFile(source_, 1500);
    EXPECT_EQ(Texts{}, Replace().BoxTexts());
    ExpectReplacedAndStarted(target_);
}

TEST_F(ReplaceMode, ATargetTooLongToStartIsRefusedBeforeAnythingIsTouched) {
    // Quoted (it holds a blank) the command line needs 260 characters, one too many.
    std::string longTarget = Path("a b");
    longTarget += std::string(258 - longTarget.size(), 'x');
    ASSERT_EQ(258u, longTarget.size());
    const uidriver::RunResult result = RunHelper(Quoted(source_) + " " + Quoted(longTarget) + " " + DigestOf(source_));
    EXPECT_EQ(Texts{longTarget + "\n경로가 너무 길어 실행할 수 없습니다!"}, result.BoxTexts());
    EXPECT_TRUE(testenv::FileExists(source_));
}

}  // namespace
}  // namespace helpertest
