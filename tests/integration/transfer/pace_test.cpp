// Servers that keep the updater waiting, against the progress rule of
// tests/fixtures/transfer/short_waits.cpp (answer within 3 s, then 1 KiB in
// every 2 s; 9 s of failed waiting per run): each such attempt is broken off,
// what came stays, and once the run's patience is spent nothing more is asked.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <chrono>

#include "tests/integration/transfer/transfer_test_support.h"
#include "tests/server/update_server_client.h"
#include "tests/support/recording_report.h"
#include "tests/support/test_env.h"
#include "transfer/resumable_transfer.h"
#include "transfer/run_patience.h"
#include "transfer/transfer_errors.h"

namespace {

using testserver::Fault;
using Clock = std::chrono::steady_clock;

const size_t kSize = 300000;
const std::string kData = transfertest::Pattern(kSize, 9);
const std::string kTimedOut = transfer::InternetException(ERROR_INTERNET_TIMEOUT).message();

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

class Pace : public ::testing::Test {
protected:
    Pace() {
        site_.PutFile("data.bin", kData);
        transfer::BeginRunPatience();
    }
    // One download of data.bin; its boxes go to report_.
    int Download() {
        transfer::TransferBuffer buffer;
        transfer::TransferProgress record;
        record.report = &report_;
        return transfer::DownloadFileResumable(&record, buffer, site_.Url("data.bin"), target(), "v", 10,
                                               transfer::ExpectedLength::Exactly(kSize));
    }
    std::string target() const { return scratch_ / "data.bin_"; }

    testserver::TestSite site_{"pace"};
    testenv::ScratchDir scratch_{"pace"};
    testenv::RecordingReport report_;
};

TEST_F(Pace, HeadersThatTrickleAreBrokenOffUntilTheRunsPatienceIsSpent) {
    site_.SetFaults({Fault{"data.bin", "", {}, "trickle_headers"}});
    const auto start = Clock::now();
    EXPECT_EQ(0, Download());
    // Three answers waited for 3 s each spend the 9 s; the seven attempts left are never sent.
    EXPECT_LT(SecondsSince(start), 14.0);
    EXPECT_EQ(3u, site_.Requests().size());
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ(kTimedOut, report_.boxes[0].text);
    EXPECT_FALSE(transfer::RunPatienceLeft());
}

TEST_F(Pace, ABodyThatFallsBehindIsBrokenOffAndWhatCameIsKeptForTheNextRun) {
    site_.SetFaults({Fault{"data.bin", "range", {}, "trickle", 20000}});
    const auto start = Clock::now();
    EXPECT_EQ(0, Download());
    EXPECT_LT(SecondsSince(start), 20.0);
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ(kTimedOut, report_.boxes[0].text);
    // Every attempt went on where the one before had stopped.
    const auto ranges = site_.Requests("data.bin", "range");
    ASSERT_GE(ranges.size(), 2u);
    ASSERT_LT(ranges.size(), 10u);
    const std::string partial = testenv::ReadFileBytes(target());
    EXPECT_GE(partial.size(), 20000u * ranges.size());
    EXPECT_TRUE(transfertest::SameBytes(partial, kData.substr(0, partial.size())));
    EXPECT_EQ("v", testenv::ReadFileBytes(scratch_ / "data.$ver$"));

    transfer::BeginRunPatience();
    site_.SetFaults({});
    report_.boxes.clear();
    EXPECT_EQ(1, Download());
    EXPECT_EQ(0u, report_.boxes.size());
    EXPECT_TRUE(transfertest::SameBytes(testenv::ReadFileBytes(target()), kData));
    const auto resumed = site_.Requests("data.bin", "range");
    ASSERT_FALSE(resumed.empty());
    EXPECT_EQ("bytes=" + std::to_string(partial.size()) + "-" + std::to_string(kSize - 1), resumed.back().range);
}

}  // namespace
