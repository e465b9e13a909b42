// A hostile server or mirror against whole discovery runs: list entries that
// lead out of their folder or to a device, answers longer than the file the
// updater expects (without and with a release key), and steering texts over
// their caps. Each is refused before anything of it reaches the disk.
#include <windows.h>
#include <psapi.h>

#include <algorithm>

#include "base/ansi_text.h"
#include "tests/integration/discovery/discovery_run_fixture.h"

namespace {

using namespace discoverytest;
using testserver::Fault;

size_t MemoryInUse() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

// The most that any progress report of a file of `size` bytes said was there.
uint64_t MostReported(const testenv::RecordingReport& report, uint64_t size) {
    uint64_t most = 0;
    for (const auto& record : report.reports)
        if (record.total == size) most = std::max(most, record.done);
    return most;
}

std::string SystemFolder() {
    char folder[MAX_PATH] = {};
    ::GetSystemDirectoryA(folder, MAX_PATH);
    return folder;
}

// Every way out of the folder fails the run at its entry: the entry is
// never requested, and nothing of it lands outside (or on a device).
TEST_F(DownloadUpdatesTest, EntriesLeavingTheirFolderFailTheRunAndWriteNothingOutsideIt) {
    const std::string outside = base::FolderPart(install_.path().substr(0, install_.path().size() - 1));
    const std::string root = SystemFolder().substr(0, 3);
    const struct {
        std::string key;
        std::string escaped;  // where the file would have been staged
    } entries[] = {
        {"x.txt|..\\escaped_by_list.txt", outside + "escaped_by_list.txt_"},
        {"x.txt|$system$\\..\\..\\escaped_by_list.txt", root + "escaped_by_list.txt_"},
        {"x.txt|$system$escaped.txt", SystemFolder() + "escaped.txt_"},
        {"x.txt|NUL.txt", ""},
        {"x.txt|con", install_ / "con_"},
        {"x.txt|sub/CON/x.txt", install_ / "sub\\CON"},
        {"x.txt|sub/x.txt.", install_ / "sub\\x.txt._"},
    };
    site_.PutFile("gateway.ini", "v\r\n");
    const std::string a = Content("a", 100), x = Content("x", 200);
    site_.PutFile("v/a.dat", a);
    site_.PutFile("v/x.txt", x);
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.key);
        site_.PutFile("v/Arkenfel_List.ini",
                      "[Client]\r\na.dat=" + ListValue(a) + "\r\n" + entry.key + "=" + ListValue(x) + "\r\n");
        site_.SetFaults({});
        EXPECT_EQ(discovery::kFailed, Run());
        ASSERT_EQ(1u, state_.m_mapFetched.size());
        EXPECT_TRUE(site_.Requests("v/x.txt", "").empty());
        if (!entry.escaped.empty()) {
            EXPECT_FALSE(testenv::FileExists(entry.escaped)) << entry.escaped;
        }
    }
    EXPECT_FALSE(testenv::FileExists(install_ / "sub"));
}

// The size query says ten times the listed size and the server would send
// it all: no range is asked for and no byte of it is written.
TEST_F(DownloadUpdatesTest, AnAnswerLongerThanTheListedSizeWritesNothing) {
    site_.PutFile("gateway.ini", "v\r\n");
    PutRelease("v", {{"a.dat", Content("a", 300)}, {"big.dat", Content("big", 100000)}});
    site_.SetFaults({Fault{"v/big.dat", "", {}, "length", -1, "1000000"}});
    EXPECT_EQ(discovery::kFailed, Run());
    EXPECT_TRUE(site_.Requests("v/big.dat", "range").empty());
    EXPECT_FALSE(testenv::FileExists(install_ / "big.dat_"));
    EXPECT_EQ(0u, MostReported(report_, 100000));
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ("Size is different: 100000:1000000", report_.boxes[0].text);
}

TEST_F(SignedReleaseTest, AnAnswerLongerThanTheSignedSizeWritesNothing) {
    PublishSigned(files_, 500);
    site_.SetFaults({Fault{"v/a.dat", "", {}, "length", -1, "3000000"}});
    EXPECT_EQ(discovery::kFailed, Run());
    // The signed size is asked for as a range, and an answer of another
    // length is refused before a byte of it is written.
    EXPECT_EQ(10u, site_.Requests("v/a.dat", "range").size());
    EXPECT_TRUE(site_.Requests("v/a.dat", "whole").empty());
    EXPECT_EQ("", testenv::ReadFileBytes(install_ / "a.dat_"));
    EXPECT_EQ(0u, MostReported(report_, 3000));
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ("파일 길이가 일치하지 않습니다.", report_.boxes[0].text);
}

// A gateway or a list over its cap fails like a failed fetch: nothing of it
// is written, and so nothing of it is ever read into memory.
TEST_F(DownloadUpdatesTest, AGatewayOrAListOverItsCapIsRefusedUnread) {
    site_.PutFile("gateway.ini", "v\r\n" + std::string(70 * 1024, ';') + "\r\n");
    EXPECT_EQ(discovery::kFailed, Run());
    EXPECT_EQ("최종 버전을 가져오는 데 실패했습니다!", Status());
    EXPECT_EQ("Size is over the limit: 65536:71685", report_.boxes.back().text);

    site_.PutFile("gateway.ini", "v\r\n");
    PutRelease("v", {{"a.dat", Content("a", 300)}});
    {
        // 40 MiB of comment lines behind the entries: a list that reads well.
        std::string list = testenv::ReadFileBytes(site_.ServedPath("v/Arkenfel_List.ini"));
        while (list.size() <= 40u << 20) list += ";" + std::string(1000, 'c') + "\r\n";
        site_.PutFile("v/Arkenfel_List.ini", list);
    }
    const size_t before = MemoryInUse();
    EXPECT_EQ(discovery::kFailed, Run());
    EXPECT_EQ("업데이트 목록을 가져오는 데 실패했습니다!", Status());
    EXPECT_EQ(0u, report_.boxes.back().text.find("Size is over the limit: 16777216:"));
    EXPECT_EQ(std::vector<std::string>{}, StagedNames());
    EXPECT_LT(MemoryInUse(), before + (8u << 20));
}

TEST_F(SignedReleaseTest, ASignatureFileOverItsCapIsRefusedUnread) {
    PublishSigned(files_, 500);
    site_.PutFile("v/Arkenfel_Release.sig", std::string((16u << 20) + 1, 'x'));
    EXPECT_EQ(discovery::kFailed, Run());
    EXPECT_EQ("업데이트 서명 확인에 실패했습니다!", Status());
    EXPECT_EQ(0u, report_.boxes.back().text.find("업데이트 서명 파일을 받을 수 없습니다."));
    EXPECT_EQ(std::vector<std::string>{}, StagedNames());
}

}  // namespace
