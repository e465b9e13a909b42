// A server that lies about lengths: every size answer is held against what
// the caller expects before a byte is written, Content-Length is read
// strictly, and a download that cannot fit on its drive never starts.
#include <gtest/gtest.h>

#include "base/ansi_text.h"
#include "base/system_error.h"
#include "tests/integration/transfer/transfer_test_support.h"
#include "tests/server/update_server_client.h"
#include "tests/support/recording_report.h"
#include "tests/support/test_env.h"
#include "transfer/http_transfer.h"
#include "transfer/resumable_transfer.h"

namespace {

using testserver::Fault;
using transfer::ExpectedLength;

const size_t kSize = 150000;
const std::string kData = transfertest::Pattern(kSize, 3);
const std::string kLengthUnknown = "파일 사이즈를 알 수 없습니다!";

class LengthRule : public ::testing::Test {
protected:
    LengthRule() { site_.PutFile("data.bin", kData); }
    // One download of data.bin; its one box (or "" when none).
    std::string Download(const ExpectedLength& expected, int attempts = 2) {
        testenv::RecordingReport report;
        transfer::TransferProgress record;
        record.report = &report;
        transfer::TransferBuffer buffer;
        result_ = transfer::DownloadFileResumable(&record, buffer, site_.Url("data.bin"), target(), "v", attempts,
                                                  expected);
        EXPECT_LE(report.boxes.size(), 1u);
        return report.boxes.empty() ? std::string() : report.boxes[0].text;
    }
    std::string target() const { return scratch_ / "data.bin_"; }

    testserver::TestSite site_{"length_rule"};
    testenv::ScratchDir scratch_{"length_rule"};
    int result_ = -1;
};

TEST_F(LengthRule, ASizeAnswerOtherThanTheExpectedOneIsAFailedAttemptAndNothingIsWritten) {
    const struct {
        const char* claim;
        ExpectedLength expected;
        std::string box;
    } cases[] = {
        {"1500000", ExpectedLength::Exactly(kSize), base::FormatText("Size is different: %u:%u", 150000u, 1500000u)},
        {"1500000", ExpectedLength::AtMost(65536), base::FormatText("Size is over the limit: %u:%u", 65536u, 1500000u)},
        // Never taken as a length of 0 (or of 2^64 - 1), whatever is expected.
        {"-1", ExpectedLength::AsAnswered(), kLengthUnknown},
        {"abc", ExpectedLength::AsAnswered(), kLengthUnknown},
        {"+150000", ExpectedLength::Exactly(kSize), kLengthUnknown},
        {"", ExpectedLength::AsAnswered(), kLengthUnknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.claim);
        site_.SetFaults({Fault{"data.bin", "", {}, *c.claim ? "length" : "no_length", -1, c.claim}});
        EXPECT_EQ(c.box, Download(c.expected));
        EXPECT_EQ(0, result_);
        EXPECT_EQ(2u, site_.Requests("data.bin", "whole").size());
        EXPECT_TRUE(site_.Requests("data.bin", "range").empty());
        EXPECT_FALSE(testenv::FileExists(target()));
    }
    site_.SetFaults({});
    EXPECT_EQ("", Download(ExpectedLength::Exactly(kSize)));
    EXPECT_TRUE(transfertest::SameBytes(testenv::ReadFileBytes(target()), kData));
}

TEST_F(LengthRule, AClaimTheDriveCannotHoldIsRefusedWithTheSystemsText) {
    site_.SetFaults({Fault{"data.bin", "", {}, "length", 0, "1125899906842624"}});
    EXPECT_EQ(base::SystemErrorText(ERROR_DISK_FULL), Download(ExpectedLength::AsAnswered()));
    EXPECT_EQ(0, result_);
    EXPECT_EQ(1u, site_.Requests().size());
    EXPECT_FALSE(testenv::FileExists(target()));
    EXPECT_FALSE(testenv::FileExists(scratch_ / "data.$ver$"));
}

// A whole-file GET into a file (the block index's way) writes no byte of an
// answer whose length it does not expect, and reads no further than it.
TEST_F(LengthRule, AFileFetchedWholeTakesOnlyTheExpectedLength) {
    transfer::TransferBuffer buffer;
    std::string text;
    site_.SetFaults({Fault{"data.bin", "", {1}, "length", -1, "1500000"}, Fault{"data.bin", "", {2}, "long", 5000}});
    const std::string copy = scratch_ / "copy.bin";
    EXPECT_EQ(0, transfer::HttpGetFile(&text, nullptr, buffer, site_.Url("data.bin"), copy, false,
                                       ExpectedLength::Exactly(kSize)));
    EXPECT_EQ(base::FormatText("Size is different: %u:%u", 150000u, 1500000u), text);
    EXPECT_FALSE(testenv::FileExists(copy));
    EXPECT_EQ(0, transfer::HttpGetFile(&text, nullptr, buffer, site_.Url("data.bin"), copy, false,
                                       ExpectedLength::Exactly(kSize)));
    EXPECT_FALSE(testenv::FileExists(copy));
    EXPECT_EQ(1, transfer::HttpGetFile(&text, nullptr, buffer, site_.Url("data.bin"), copy, false,
                                       ExpectedLength::Exactly(kSize)))
        << text;
    EXPECT_TRUE(transfertest::SameBytes(testenv::ReadFileBytes(copy), kData));
}

}  // namespace
