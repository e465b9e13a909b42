// Single requests against the real test server: headers, schemes, status
// rules, length checks, and which bytes reach the sink.
#include "transfer/http_transfer.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include "base/ansi_text.h"
#include "tests/integration/transfer/transfer_test_support.h"
#include "tests/server/update_server_client.h"
#include "tests/support/recording_report.h"
#include "tests/support/test_env.h"
#include "transfer/internet_session.h"
#include "transfer/transfer_errors.h"

namespace {

using testserver::Fault;
using testserver::TestSite;
using transfer::TransferBuffer;
using transfer::TransferProgress;
using transfertest::Pattern;
using transfertest::SameBytes;

const std::string kData = Pattern(100000);

// Result, diagnostic and progress of one size query.
struct SizeQuery {
    int result;
    std::string text;
    TransferProgress record;
};

SizeQuery QuerySize(const std::string& url) {
    SizeQuery q;
    TransferBuffer buffer;
    q.result = transfer::HttpGetFile(&q.text, &q.record, buffer, url, std::string(), false, transfertest::kAnyLength);
    return q;
}

TEST(HttpGetFile, SizeQuerySendsTheExactHeadersAndReadsContentLength) {
    TestSite site("get_size");
    site.PutFile("data.bin", kData);
    const SizeQuery q = QuerySize(site.Url("data.bin"));
    EXPECT_EQ(q.result, 1);
    EXPECT_EQ(q.text, "");
    EXPECT_EQ(q.record.total, kData.size());
    EXPECT_EQ(q.record.remaining, kData.size());

    const auto requests = site.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, "whole");
    EXPECT_NE(requests[0].headers.find("Accept: */*\r\n"), std::string::npos) << requests[0].headers;
    EXPECT_NE(requests[0].headers.find("User-Agent: Vantero\r\n"), std::string::npos) << requests[0].headers;
    EXPECT_EQ(requests[0].headers.find("Range:"), std::string::npos);
}

TEST(HttpGetFile, BackslashesAndTheHttpSchemeStillReachTheFileOverTls) {
    TestSite site("get_schemes");
    site.PutFile("sub/data.bin", kData);
    std::string backslashed = site.BaseUrl() + "\\sub\\data.bin";
    EXPECT_EQ(QuerySize(backslashed).result, 1);

    // The server speaks TLS only: success proves the request went over TLS.
    std::string plain = base::ReplaceAll(site.Url("sub/data.bin"), "https://", "http://");
    const SizeQuery q = QuerySize(plain);
    EXPECT_EQ(q.result, 1) << q.text;

    const auto requests = site.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].file, "sub/data.bin");
    EXPECT_EQ(requests[1].file, "sub/data.bin");
}

TEST(HttpGetFile, StatusOtherThan200FailsWithTheStatusInTheText) {
    TestSite site("get_status");
    site.PutFile("data.bin", kData);
    site.SetFaults({{"data.bin", "", {1}, "redirect"}, {"data.bin", "", {2}, "partial"},
                    {"data.bin", "", {3}, "status", 500}});
    SizeQuery q = QuerySize(site.Url("data.bin"));
    EXPECT_EQ(q.result, 0);
    EXPECT_EQ(q.text, "QueryInfoStatusCode: 302");
    q = QuerySize(site.Url("data.bin"));
    EXPECT_EQ(q.result, 0);
    EXPECT_EQ(q.text, "QueryInfoStatusCode: 206");
    q = QuerySize(site.Url("data.bin"));
    EXPECT_EQ(q.text, "QueryInfoStatusCode: 500");
    q = QuerySize(site.Url("missing.bin"));
    EXPECT_EQ(q.text, "QueryInfoStatusCode: 404");
    // The redirect was not followed: one request per call.
    EXPECT_EQ(site.Requests().size(), 4u);
}

TEST(HttpGetFile, ContentLengthMissingOrZero) {
    TestSite site("get_length");
    site.PutFile("data.bin", kData);
    site.SetFaults({{"data.bin", "", {1}, "no_length"}, {"data.bin", "", {2}, "zero_length"}});
    SizeQuery q = QuerySize(site.Url("data.bin"));
    EXPECT_EQ(q.result, 0);
    EXPECT_EQ(q.text, "파일 사이즈를 알 수 없습니다!");
    q = QuerySize(site.Url("data.bin"));
    EXPECT_EQ(q.result, 1);
    EXPECT_EQ(q.record.total, 0u);
}

TEST(HttpGetFile, ErrorBoxOnlyWhenAskedFor) {
    TestSite site("get_box");
    testenv::RecordingReport report;
    TransferProgress record;
    record.report = &report;
    TransferBuffer buffer;
    std::string text;
    EXPECT_EQ(transfer::HttpGetFile(&text, &record, buffer, site.Url("missing.bin"), "", false, transfertest::kAnyLength), 0);
    EXPECT_EQ(report.boxes.size(), 0u);
    EXPECT_EQ(transfer::HttpGetFile(nullptr, &record, buffer, site.Url("missing.bin"), "", true, transfertest::kAnyLength), 0);
    ASSERT_EQ(report.boxes.size(), 1u);
    EXPECT_EQ(report.boxes[0].text, "QueryInfoStatusCode: 404");
    EXPECT_EQ(report.boxes[0].type, 0x1010u);
}

TEST(HttpGetFile, DownloadsToANewFolderAndChecksTheLength) {
    TestSite site("get_dest");
    testenv::ScratchDir scratch("get_dest");
    site.PutFile("data.bin", kData);
    site.SetFaults({{"data.bin", "", {2}, "short", 1000}});
    const std::string target = scratch / "new\\folder\\data.bin";
    TransferBuffer buffer;
    std::string text;
    ASSERT_EQ(transfer::HttpGetFile(&text, nullptr, buffer, site.Url("data.bin"), target, false, transfertest::kAnyLength), 1) << text;
    EXPECT_TRUE(SameBytes(testenv::ReadFileBytes(target), kData));

    EXPECT_EQ(transfer::HttpGetFile(&text, nullptr, buffer, site.Url("data.bin"), target, false, transfertest::kAnyLength), 0);
    EXPECT_EQ(text, base::FormatText("Size is different: %u:%u", 100000u, 99000u));
}

// ---- HttpGetRange -----------------------------------------------------------

struct RangeOutcome {
    int result = -1;       // -1: an exception was thrown
    bool lengthMismatch = false;
    uint64_t received = 0;
};

RangeOutcome GetRange(const std::string& url, transfer::TransferSink& sink, uint64_t first, uint64_t last,
                      TransferProgress* progress = nullptr) {
    RangeOutcome out;
    TransferBuffer buffer;
    try {
        out.result = transfer::HttpGetRange(progress, buffer, url, sink, kData.size(), out.received, first, last);
    } catch (const transfer::CMyException& e) {
        out.lengthMismatch = true;
        EXPECT_EQ(e.message(), "파일 길이가 일치하지 않습니다.");
    }
    return out;
}

TEST(HttpGetRange, FetchesExactlyTheRangeWithTheRangeHeader) {
    TestSite site("range_exact");
    site.PutFile("data.bin", kData);
    transfer::MemorySink sink;
    RangeOutcome out = GetRange(site.Url("data.bin"), sink, 5, 70004);
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(out.received, 70000u);
    EXPECT_TRUE(SameBytes(sink.bytes(), kData.substr(5, 70000)));

    transfer::MemorySink one;
    out = GetRange(site.Url("data.bin"), one, 99999, 99999);
    EXPECT_EQ(out.result, 1);
    EXPECT_TRUE(SameBytes(one.bytes(), kData.substr(99999, 1)));

    const auto requests = site.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[0].headers.find("Range: bytes=5-70004\r\n"), std::string::npos) << requests[0].headers;
    EXPECT_NE(requests[0].headers.find("Accept: */*\r\n"), std::string::npos);
    EXPECT_NE(requests[0].headers.find("User-Agent: Vantero\r\n"), std::string::npos);
    EXPECT_EQ(requests[1].range, "bytes=99999-99999");
}

TEST(HttpGetRange, ReportsEveryBlockToTheWindow) {
    TestSite site("range_progress");
    site.PutFile("data.bin", kData);
    transfertest::ProgressRecorder recorder;
    TransferProgress record;
    record.report = &recorder;
    record.done = 1000;  // bytes an earlier attempt wrote
    transfer::MemorySink sink;
    ASSERT_EQ(GetRange(site.Url("data.bin"), sink, 1000, 99999, &record).result, 1);

    // 99000 bytes in blocks of 32768: three full blocks and 696 bytes.
    const auto& reports = recorder.reports();
    ASSERT_EQ(reports.size(), 4u);
    const uint64_t chunks[] = {32768, 32768, 32768, 696};
    uint64_t done = 1000, remaining = 99000;
    for (size_t i = 0; i < reports.size(); ++i) {
        done += chunks[i];
        remaining -= chunks[i];
        EXPECT_EQ(reports[i].sent, &record);
        EXPECT_EQ(reports[i].record.lastChunk, chunks[i]) << i;
        EXPECT_EQ(reports[i].record.done, done) << i;
        EXPECT_EQ(reports[i].record.remaining, remaining) << i;
        EXPECT_EQ(reports[i].record.total, kData.size()) << i;
    }
}

TEST(HttpGetRange, WholeFileAnswerIsTakenOnlyForARangeFromByteZero) {
    TestSite site("range_200");
    site.PutFile("data.bin", kData);
    site.SetFaults({{"data.bin", "range", {}, "ignore_range"}});
    transfer::MemorySink whole;
    RangeOutcome out = GetRange(site.Url("data.bin"), whole, 0, kData.size() - 1);
    EXPECT_EQ(out.result, 1);
    EXPECT_TRUE(SameBytes(whole.bytes(), kData));

    // A resumed request answered with the whole file: nothing of the file's
    // beginning may be appended after the bytes already present.
    transfer::MemorySink resumed;
    resumed.Write("prefix", 6);
    out = GetRange(site.Url("data.bin"), resumed, 50000, kData.size() - 1);
    EXPECT_TRUE(out.lengthMismatch);
    EXPECT_EQ(resumed.bytes(), "prefix");

    // A head sample answered with the whole file is refused as well.
    transfer::MemorySink head;
    out = GetRange(site.Url("data.bin"), head, 0, 1023);
    EXPECT_TRUE(out.lengthMismatch);
    EXPECT_EQ(head.bytes(), "");
}

TEST(HttpGetRange, AnswersThatAreNotTheRequestedBytesWriteNothingWrong) {
    TestSite site("range_wrong");
    site.PutFile("data.bin", kData);
    site.SetFaults({{"data.bin", "range", {1}, "shift", 100},
                    {"data.bin", "range", {2}, "long", 10},
                    {"data.bin", "range", {3}, "no_length"},
                    {"data.bin", "range", {4}, "status", 500},
                    {"data.bin", "range", {5}, "length", 2000, "-1"}});
    transfer::MemorySink shifted;
    EXPECT_TRUE(GetRange(site.Url("data.bin"), shifted, 1000, 1999).lengthMismatch);
    EXPECT_EQ(shifted.bytes(), "");

    transfer::MemorySink longer;
    EXPECT_TRUE(GetRange(site.Url("data.bin"), longer, 1000, 1999).lengthMismatch);
    EXPECT_EQ(longer.bytes(), "");

    // Without a length the body is taken as long as it is the range.
    transfer::MemorySink unannounced;
    EXPECT_EQ(GetRange(site.Url("data.bin"), unannounced, 1000, 1999).result, 1);
    EXPECT_TRUE(SameBytes(unannounced.bytes(), kData.substr(1000, 1000)));

    transfer::MemorySink failed;
    RangeOutcome out = GetRange(site.Url("data.bin"), failed, 1000, 1999);
    EXPECT_EQ(out.result, 0);
    EXPECT_FALSE(out.lengthMismatch);
    EXPECT_EQ(failed.bytes(), "");

    transfer::MemorySink negative;
    EXPECT_TRUE(GetRange(site.Url("data.bin"), negative, 1000, 1999).lengthMismatch);
    EXPECT_EQ(negative.bytes(), "");
}

TEST(HttpGetRange, ACutConnectionKeepsTheBytesThatCameAndThrows) {
    TestSite site("range_cut");
    site.PutFile("data.bin", kData);
    site.SetFaults({{"data.bin", "range", {1}, "drop", 40000}, {"data.bin", "range", {2}, "short", 5}});
    transfer::MemorySink cut;
    EXPECT_TRUE(GetRange(site.Url("data.bin"), cut, 100, 99999).lengthMismatch);
    EXPECT_TRUE(SameBytes(cut.bytes(), kData.substr(100, 40000)));

    transfer::MemorySink shorter;
    EXPECT_TRUE(GetRange(site.Url("data.bin"), shorter, 0, 999).lengthMismatch);
    EXPECT_TRUE(SameBytes(shorter.bytes(), kData.substr(0, 995)));
}

TEST(HttpGetRange, NoServerThrowsTheInternetErrorWithWinInetsText) {
    transfer::MemorySink sink;
    TransferBuffer buffer;
    uint64_t received = 0;
    try {
        transfer::HttpGetRange(nullptr, buffer, "https://localhost:1/fs_c_get.php?fn=x", sink, 10, received, 0, 9);
        ADD_FAILURE() << "no exception";
    } catch (const transfer::InternetException& e) {
        EXPECT_EQ(e.code(), static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));
        EXPECT_FALSE(e.message().empty());
    }
}

// The WinINet error a ranged request of the first ten bytes ends with; 0 when it succeeds.
DWORD RangeError(const std::string& url, transfer::TransferSink& sink) {
    TransferBuffer buffer;
    uint64_t received = 0;
    try {
        transfer::HttpGetRange(nullptr, buffer, url, sink, kData.size(), received, 0, 9);
    } catch (const transfer::InternetException& e) {
        return e.code();
    }
    return 0;
}

TEST(HttpGetRange, AServerCertificateNoTrustedAuthoritySignedIsRefused) {
    TestSite site("range_untrusted");
    site.PutFile("data.bin", kData);
    transfer::MemorySink sink;
    EXPECT_EQ(RangeError(site.UntrustedUrl("data.bin"), sink), static_cast<DWORD>(ERROR_INTERNET_INVALID_CA));
    EXPECT_EQ(sink.bytes(), "");
    EXPECT_THROW(QuerySize(site.UntrustedUrl("data.bin")), transfer::InternetException);
}

// Any standard user can add a root to his own store (and point the system
// proxy at his own server): WinINet trusts such roots, the updater must not.
// A certificate already found good for the name must not open the way for
// another one, on kept connections or not.
TEST(HttpGetRange, OnlyTheMachinesRootsCountNotOnesAUserAddedToHisOwnStore) {
    TestSite site("range_user_root");
    site.PutFile("data.bin", kData);
    transfer::RunSession run;
    for (int round = 0; round < 2; ++round) {
        transfer::MemorySink trusted;
        EXPECT_EQ(RangeError(site.Url("data.bin"), trusted), 0u) << round;
        EXPECT_TRUE(SameBytes(trusted.bytes(), kData.substr(0, 10)));

        transfer::MemorySink attacked;
        EXPECT_EQ(RangeError(site.UserRootUrl("data.bin"), attacked), static_cast<DWORD>(ERROR_INTERNET_INVALID_CA))
            << round;
        EXPECT_EQ(attacked.bytes(), "");
        EXPECT_THROW(QuerySize(site.UserRootUrl("data.bin")), transfer::InternetException);
    }
}

}  // namespace
