// Resumable downloads against the real test server: the retry rules, the
// marker across calls, the partial-file check, and the progress reports.
#include "transfer/resumable_transfer.h"

#include <gtest/gtest.h>

#include <chrono>

#include "tests/integration/transfer/transfer_test_support.h"
#include "tests/server/update_server_client.h"
#include "tests/support/recording_report.h"
#include "tests/support/test_env.h"
#include "transfer/http_transfer.h"
#include "crypto/sha256.h"
#include "transfer/transfer_errors.h"
#include "release/staging_layout.h"

namespace {

using testserver::Fault;
using testserver::LoggedRequest;
using testserver::TestSite;
using transfer::TransferBuffer;
using transfer::TransferProgress;
using transfertest::Pattern;
using transfertest::SameBytes;

const std::string kLengthMismatch = "파일 길이가 일치하지 않습니다.";
const size_t kSize = 200000;
const std::string kData = Pattern(kSize, 7);

std::string RangeOf(uint64_t first, uint64_t last) {
    return "bytes=" + std::to_string(first) + "-" + std::to_string(last);
}

std::vector<std::string> Ranges(const std::vector<LoggedRequest>& requests) {
    std::vector<std::string> out;
    for (const LoggedRequest& r : requests) out.push_back(r.range);
    return out;
}

// A served file, a local scratch folder and the download between them.
class Download : public ::testing::Test {
protected:
    Download()
        : site_(::testing::UnitTest::GetInstance()->current_test_info()->name()),
          scratch_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {
        site_.PutFile("data.bin", kData);
    }

    // Without a record of the test's own, the download reports to report_.
    int Run(const char* marker, TransferProgress* progress = nullptr, int attempts = 10) {
        TransferBuffer buffer;
        return transfer::DownloadFileResumable(progress ? progress : Reported(), buffer, site_.Url("data.bin"), target(),
                                               marker, attempts, transfertest::kAnyLength);
    }
    TransferProgress* Reported() {
        reported_ = TransferProgress();
        reported_.report = &report_;
        return &reported_;
    }
    std::string target() const { return scratch_ / "data.bin_"; }
    std::string marker() const { return scratch_ / "data.$ver$"; }
    std::vector<LoggedRequest> ranged() const { return site_.Requests("data.bin", "range"); }
    std::vector<LoggedRequest> sizeQueries() const { return site_.Requests("data.bin", "whole"); }

    // A partial file and its marker, as an earlier run leaves them.
    void LeavePartial(size_t length, const std::string& markerText) {
        testenv::WriteFileBytes(target(), kData.substr(0, length));
        testenv::WriteFileBytes(marker(), markerText);
    }

    TestSite site_;
    testenv::ScratchDir scratch_;
    testenv::RecordingReport report_;
    TransferProgress reported_;
};

TEST_F(Download, FreshDownloadIsOneSizeQueryAndOneRangeAndRemovesItsMarker) {
    EXPECT_EQ(Run("1.0.0.1"), 1);
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    EXPECT_FALSE(testenv::FileExists(marker()));
    EXPECT_EQ(sizeQueries().size(), 1u);
    EXPECT_EQ(Ranges(ranged()), std::vector<std::string>{RangeOf(0, kSize - 1)});
    EXPECT_EQ(report_.boxes.size(), 0u);
}

TEST_F(Download, ACutConnectionIsContinuedAfterTheLastByteReceived) {
    site_.SetFaults({{"data.bin", "range", {1}, "drop", 70001}, {"data.bin", "range", {2}, "short", 3}});
    EXPECT_EQ(Run("v"), 1);
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    const std::vector<std::string> expected = {RangeOf(0, kSize - 1), RangeOf(70001, kSize - 1),
                                               RangeOf(kSize - 3, kSize - 1)};
    EXPECT_EQ(Ranges(ranged()), expected);
    const LoggedRequest last = ranged().back();
    EXPECT_NE(last.headers.find("Range: bytes=199997-199999\r\n"), std::string::npos) << last.headers;
    EXPECT_EQ(report_.boxes.size(), 0u);
}

TEST_F(Download, TenFailedAttemptsShowOneBoxKeepTheMarkerAndTheNextCallContinues) {
    site_.SetFaults({{"data.bin", "range", {}, "drop", 1000}});
    EXPECT_EQ(Run("v2"), 0);
    ASSERT_EQ(report_.boxes.size(), 1u);
    EXPECT_EQ(report_.boxes[0].text, kLengthMismatch);
    EXPECT_EQ(report_.boxes[0].type, 0x1010u);
    const auto attempts = ranged();
    ASSERT_EQ(attempts.size(), 10u);
    for (size_t i = 0; i < attempts.size(); ++i) EXPECT_EQ(attempts[i].range, RangeOf(1000 * i, kSize - 1));
    EXPECT_EQ(testenv::ReadFileBytes(marker()), "v2");
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData.substr(0, 10000)));

    // Next run, same marker: size query, head and tail check, then the rest.
    site_.SetFaults({});
    report_.boxes.clear();
    EXPECT_EQ(Run("v2"), 1);
    EXPECT_EQ(report_.boxes.size(), 0u);
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    EXPECT_FALSE(testenv::FileExists(marker()));
    const std::vector<std::string> expected = {RangeOf(0, 1023), RangeOf(10000 - 1024, 9999),
                                               RangeOf(10000, kSize - 1)};
    EXPECT_EQ(Ranges(ranged()), expected);
    EXPECT_EQ(sizeQueries().size(), 2u);  // one of the download, one of the check
}

TEST_F(Download, AChangedOrDifferentlyWrittenMarkerStartsOver) {
    LeavePartial(10000, "v1");
    EXPECT_EQ(Run("v2"), 1);
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    EXPECT_EQ(Ranges(ranged()), std::vector<std::string>{RangeOf(0, kSize - 1)});

    site_.SetFaults({});
    LeavePartial(10000, "v1\r\n");
    EXPECT_EQ(Run("v1"), 1);
    EXPECT_EQ(Ranges(ranged()), std::vector<std::string>{RangeOf(0, kSize - 1)});
}

TEST_F(Download, AMatchingMarkerWithoutTargetStartsFromZero) {
    testenv::WriteFileBytes(marker(), "v1");
    EXPECT_EQ(Run("v1"), 1);
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    EXPECT_EQ(Ranges(ranged()), std::vector<std::string>{RangeOf(0, kSize - 1)});
    EXPECT_EQ(sizeQueries().size(), 1u);  // no check of a file that is not there
}

TEST_F(Download, APartialFileThatIsNotTheRemoteBeginningIsRefilledFromZero) {
    LeavePartial(0, "v1");
    testenv::WriteFileBytes(target(), kData + "extra");  // longer than the remote file
    EXPECT_EQ(Run("v1"), 1);
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    EXPECT_EQ(Ranges(ranged()), std::vector<std::string>{RangeOf(0, kSize - 1)});

    site_.SetFaults({});
    std::string damaged = kData.substr(0, 5000);
    damaged[4500] ^= 1;  // inside the tail sample
    LeavePartial(0, "v1");
    testenv::WriteFileBytes(target(), damaged);
    EXPECT_EQ(Run("v1"), 1);
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    const std::vector<std::string> expected = {RangeOf(0, 1023), RangeOf(5000 - 1024, 4999),
                                               RangeOf(0, kSize - 1)};
    EXPECT_EQ(Ranges(ranged()), expected);
}

TEST_F(Download, ASmallPartialFileIsComparedWholeInOnePiece) {
    LeavePartial(700, "v1");
    EXPECT_EQ(Run("v1"), 1);
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    const std::vector<std::string> expected = {RangeOf(0, 699), RangeOf(700, kSize - 1)};
    EXPECT_EQ(Ranges(ranged()), expected);
}

TEST_F(Download, ACompleteFileWithItsMarkerIsOnlyCheckedAndKeepsTheMarker) {
    LeavePartial(kSize, "v1");
    transfertest::ProgressRecorder recorder;
    TransferProgress record;
    record.report = &recorder;
    record.total = 12345;
    EXPECT_EQ(Run("v1", &record), 1);
    EXPECT_EQ(testenv::ReadFileBytes(marker()), "v1");
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    for (const LoggedRequest& r : ranged()) EXPECT_LE(r.bytes, 1024u) << r.range;  // head and tail only
    EXPECT_EQ(ranged().size(), 2u);
    ASSERT_EQ(recorder.reports().size(), 1u);
    EXPECT_EQ(recorder.reports()[0].record.lastChunk, 0u);
    EXPECT_EQ(recorder.reports()[0].record.done, 0u);
    EXPECT_EQ(recorder.reports()[0].record.remaining, 0u);
}

TEST_F(Download, AnEmptyRemoteFileFailsSilently) {
    site_.PutFile("data.bin", "");
    EXPECT_EQ(Run("v1"), 0);
    EXPECT_EQ(report_.boxes.size(), 0u);
    EXPECT_TRUE(ranged().empty());
    EXPECT_FALSE(testenv::FileExists(marker()));
}

TEST_F(Download, ARefusedRangeFailsSilentlyAndDropsTheMarker) {
    site_.SetFaults({{"data.bin", "range", {}, "status", 404}});
    EXPECT_EQ(Run("v1"), 0);
    EXPECT_EQ(report_.boxes.size(), 0u);
    EXPECT_EQ(ranged().size(), 1u);
    EXPECT_FALSE(testenv::FileExists(marker()));
}

TEST_F(Download, AResumedRangeAnsweredWithTheWholeFileStartsTheFileOverWithIt) {
    LeavePartial(10000, "v1");
    // Ranged requests 1 and 2 are the head and tail check; the resumed
    // request gets the whole file, which is taken from byte 0 in that attempt.
    site_.SetFaults({{"data.bin", "range", {3}, "ignore_range"}});
    transfertest::ProgressRecorder recorder;
    TransferProgress record;
    record.report = &recorder;
    EXPECT_EQ(Run("v1", &record), 1);
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    const std::vector<std::string> expected = {RangeOf(0, 1023), RangeOf(8976, 9999), RangeOf(10000, kSize - 1)};
    EXPECT_EQ(Ranges(ranged()), expected);
    EXPECT_EQ(recorder.boxes.size(), 0u);
    EXPECT_FALSE(testenv::FileExists(marker()));
    // The window counts every byte of the file once: the 10000 it was told
    // were present are not counted again when the body rewrites them.
    uint64_t counted = 0;
    for (const auto& report : recorder.reports()) counted += report.record.lastChunk;
    EXPECT_EQ(counted, kSize);
    EXPECT_EQ(recorder.reports().back().record.done, kSize);

    // A server that never honours ranges: the check's first sample already
    // comes whole, so the file starts over at once, without retries or a box.
    LeavePartial(10000, "v1");
    site_.SetFaults({{"data.bin", "range", {}, "ignore_range"}});
    EXPECT_EQ(Run("v1"), 1);
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    EXPECT_EQ(Ranges(ranged()), std::vector<std::string>({RangeOf(0, 1023), RangeOf(0, kSize - 1)}));
    EXPECT_EQ(report_.boxes.size(), 0u);
}

// A sink that can take the whole file, as the download target can.
class RestartableSink : public transfer::MemorySink {
public:
    bool Restart() override {
        ++restarts;
        return true;
    }
    int restarts = 0;
};

TEST_F(Download, AWholeFileAnswerIsTakenOnlyAtTheQueriedSizeAndOnlyByASinkThatRestarts) {
    site_.SetFaults({{"data.bin", "range", {}, "ignore_range"}});
    TransferBuffer buffer;
    uint64_t received = 0;
    RestartableSink restartable;
    EXPECT_EQ(transfer::HttpGetRange(nullptr, buffer, site_.Url("data.bin"), restartable, kSize, received, 5000,
                                     kSize - 1),
              1);
    EXPECT_EQ(restartable.restarts, 1);
    EXPECT_EQ(received, kSize);
    EXPECT_TRUE(SameBytes(restartable.bytes(), kData));

    // Another length than the size query gave is no whole file: nothing is written.
    RestartableSink other;
    EXPECT_THROW(transfer::HttpGetRange(nullptr, buffer, site_.Url("data.bin"), other, kSize + 1, received, 5000,
                                        kSize),
                 transfer::CMyException);
    EXPECT_EQ(other.restarts, 0);
    EXPECT_EQ(other.bytes().size(), 0u);

    transfer::MemorySink plain;
    EXPECT_THROW(transfer::HttpGetRange(nullptr, buffer, site_.Url("data.bin"), plain, kSize, received, 0, 1023),
                 transfer::WholeFileAnswer);
    EXPECT_EQ(plain.bytes().size(), 0u);
}

// Names from a list or a gateway that cannot be a file or an address.
TEST_F(Download, ATargetOrAnAddressThatCannotBeUsedFailsBeforeAnyRequest) {
    TransferBuffer buffer;
    EXPECT_EQ(transfer::DownloadFileResumable(Reported(), buffer, site_.Url("data.bin"),
                                              scratch_ / (std::string(300, 'a') + "_"), "v1", 10, transfertest::kAnyLength),
              0);
    for (const std::string& url : {site_.Url("data.bin") + "\r\nX-Injected: 1", site_.Url(std::string(3000, 'd'))}) {
        std::string text;
        TransferProgress record;
        EXPECT_EQ(transfer::HttpGetFile(&text, &record, buffer, url, "", false, transfertest::kAnyLength), 0);
        EXPECT_EQ(0u, text.find("AfxParseURL: ")) << text.substr(0, 100);
    }
    EXPECT_EQ(site_.Requests().size(), 0u);
    EXPECT_EQ(report_.boxes.size(), 0u);
}

TEST_F(Download, AStalledAnswerTimesOutAndTheNextAttemptFinishes) {
    site_.SetFaults({{"data.bin", "range", {1}, "stall", 7}});
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(nullptr), 1);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count();
    EXPECT_GE(seconds, 4);
    EXPECT_LT(seconds, 7);
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target()), kData));
    EXPECT_EQ(ranged().size(), 2u);
    EXPECT_EQ(report_.boxes.size(), 0u);
}

TEST_F(Download, ProgressReportsOfAFreshAndOfAResumedFile) {
    transfertest::ProgressRecorder recorder;
    TransferProgress record;
    record.report = &recorder;
    record.total = 777;  // the caller's own figure; only its window is borrowed
    ASSERT_EQ(Run("v1", &record), 1);
    // 200000 bytes: six blocks of 32768 and one of 3392.
    ASSERT_EQ(recorder.reports().size(), 7u);
    uint64_t done = 0;
    for (const auto& report : recorder.reports()) {
        EXPECT_NE(report.sent, &record);
        done += report.record.lastChunk;
        EXPECT_EQ(report.record.done, done);
        EXPECT_EQ(report.record.remaining, kSize - done);
        EXPECT_EQ(report.record.total, kSize);
    }
    EXPECT_EQ(recorder.reports().back().record.lastChunk, 3392u);

    transfertest::ProgressRecorder resumed;
    record.report = &resumed;
    LeavePartial(150000, "v1");
    ASSERT_EQ(Run("v1", &record), 1);
    ASSERT_EQ(resumed.reports().size(), 3u);  // what is on disk, then 32768 and 17232
    const auto& first = resumed.reports()[0];
    EXPECT_EQ(first.sent, &record);
    EXPECT_EQ(first.record.lastChunk, 150000u);
    EXPECT_EQ(first.record.done, 150000u);
    EXPECT_EQ(first.record.remaining, 50000u);
    EXPECT_EQ(first.record.total, 777u);
    EXPECT_EQ(resumed.reports()[2].record.done, kSize);
    EXPECT_EQ(resumed.reports()[2].record.lastChunk, 17232u);
}

TEST_F(Download, MarkerNaming) {
    EXPECT_EQ(release::MarkerPath("C:\\Game\\data\\x.dll_"), "C:\\Game\\data\\x.$ver$");
    EXPECT_EQ(release::MarkerPath("C:\\Game\\readme"), "C:\\Game\\readme.$ver$");
    EXPECT_EQ(release::MarkerPath("C:\\Game.v2\\readme"), "C:\\Game.v2\\readme.$ver$");

    // Two targets differing only in extension share one marker: the second
    // download finds the first one's marker and continues nothing of it.
    site_.SetFaults({{"data.bin", "range", {}, "drop", 0}});
    TransferBuffer buffer;
    const std::string dll = scratch_ / "x.dll_";
    const std::string exe = scratch_ / "x.exe_";
    EXPECT_EQ(transfer::DownloadFileResumable(Reported(), buffer, site_.Url("data.bin"), dll, "A", 1, transfertest::kAnyLength), 0);
    EXPECT_EQ(testenv::ReadFileBytes(scratch_ / "x.$ver$"), "A");
    EXPECT_EQ(transfer::DownloadFileResumable(Reported(), buffer, site_.Url("data.bin"), exe, "B", 1, transfertest::kAnyLength), 0);
    EXPECT_EQ(testenv::ReadFileBytes(scratch_ / "x.$ver$"), "B");

    const std::string bare = scratch_ / "readme";
    EXPECT_EQ(transfer::DownloadFileResumable(Reported(), buffer, site_.Url("data.bin"), bare, "C", 1, transfertest::kAnyLength), 0);
    EXPECT_EQ(testenv::ReadFileBytes(scratch_ / "readme.$ver$"), "C");
    EXPECT_EQ(report_.boxes.size(), 3u);
}

// ---- the retry loops below the entry point ----------------------------------

TEST_F(Download, SizeQueryRetriesThenShowsTheLastText) {
    site_.SetFaults({{"data.bin", "whole", {}, "status", 500}});
    uint64_t size = 99;
    EXPECT_EQ(transfer::GetRemoteFileSize(report_, site_.Url("data.bin"), size, 3, transfertest::kAnyLength), 0);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(sizeQueries().size(), 3u);
    ASSERT_EQ(report_.boxes.size(), 1u);
    EXPECT_EQ(report_.boxes[0].text, "QueryInfoStatusCode: 500");

    site_.SetFaults({{"data.bin", "whole", {1}, "no_length"}});
    EXPECT_EQ(transfer::GetRemoteFileSize(report_, site_.Url("data.bin"), size, 3, transfertest::kAnyLength), 1);
    EXPECT_EQ(size, kSize);

    EXPECT_EQ(transfer::GetRemoteFileSize(report_, site_.Url("data.bin"), size, 0, transfertest::kAnyLength), 0);
    ASSERT_EQ(report_.boxes.size(), 2u);
    EXPECT_EQ(report_.boxes[1].text, "");
}

TEST_F(Download, RangeRetryContinuesInTheSameSinkAndCountsEveryByte) {
    site_.SetFaults({{"data.bin", "range", {1, 2}, "drop", 300}});
    transfer::MemorySink sink;
    TransferBuffer buffer;
    uint64_t received = 0;
    EXPECT_EQ(transfer::HttpGetRangeRetry(Reported(), buffer, site_.Url("data.bin"), sink, kSize, received, 1000,
                                          4999, 10),
              1);
    EXPECT_EQ(received, 4000u);
    EXPECT_TRUE(SameBytes(sink.bytes(), kData.substr(1000, 4000)));
    const std::vector<std::string> expected = {RangeOf(1000, 4999), RangeOf(1300, 4999), RangeOf(1600, 4999)};
    EXPECT_EQ(Ranges(ranged()), expected);

    site_.SetFaults({{"data.bin", "range", {}, "drop", 100}});
    transfer::MemorySink partial;
    EXPECT_EQ(transfer::HttpGetRangeRetry(Reported(), buffer, site_.Url("data.bin"), partial, kSize, received, 0,
                                          4999, 3),
              0);
    EXPECT_EQ(received, 300u);
    EXPECT_TRUE(SameBytes(partial.bytes(), kData.substr(0, 300)));
    ASSERT_EQ(report_.boxes.size(), 1u);
    EXPECT_EQ(report_.boxes[0].text, kLengthMismatch);
}

// A download of known size that keeps its file: the handle comes back open
// and unshared with the SHA-256 of every byte, a continued file's first
// bytes read once through it; a small file gets no marker and comes again
// whole once broken off.
TEST_F(Download, AKeptDownloadHoldsItsFileWithTheDigestOfEveryByteAndASmallOneIsNotMarked) {
    LeavePartial(50000, "k");
    TransferBuffer buffer;
    transfer::WrittenFile written;
    ASSERT_EQ(1, transfer::DownloadFileOfKnownSize(Reported(), buffer, site_.Url("data.bin"), target(), "k", 10, kSize,
                                                   &written));
    EXPECT_EQ(Ranges(ranged()), std::vector<std::string>{RangeOf(50000, kSize - 1)});
    crypto::Sha256Digest expected;
    ASSERT_TRUE(crypto::HashBytes(kData, expected));
    EXPECT_TRUE(written.hashed);
    EXPECT_EQ(kSize, written.size);
    EXPECT_TRUE(expected == written.sha256);
    EXPECT_FALSE(testenv::FileExists(marker()));
    const base::UniqueFile other(::CreateFileA(target().c_str(), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(other.valid());
    written.file.reset();

    const std::string small = Pattern(3000, 3);
    site_.PutFile("small.bin", small);
    const std::string smallTarget = scratch_ / "small.bin_";
    site_.SetFaults({{"small.bin", "range", {1}, "drop", 1000}});
    EXPECT_EQ(0, transfer::DownloadFileOfKnownSize(Reported(), buffer, site_.Url("small.bin"), smallTarget, "s", 1,
                                                   small.size()));
    EXPECT_FALSE(testenv::FileExists(scratch_ / "small.$ver$"));
    site_.SetFaults({});
    EXPECT_EQ(1, transfer::DownloadFileOfKnownSize(Reported(), buffer, site_.Url("small.bin"), smallTarget, "s", 1,
                                                   small.size()));
    EXPECT_EQ(Ranges(site_.Requests("small.bin", "range")), std::vector<std::string>{RangeOf(0, 2999)});
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(smallTarget), small));
}

}  // namespace
