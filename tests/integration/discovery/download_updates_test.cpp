// Whole discovery runs against the test update server: which requests are
// made in which order, what lands on disk, what the window is told, and the
// result codes.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <functional>

#include "base/machine_settings.h"
#include "base/system_folders.h"
#include "base/unique_handle.h"
#include "base/ansi_text.h"
#include "base/window_protocol.h"
#include "discovery/release_gate.h"
#include "discovery/release_record.h"
#include "discovery/staged_install.h"
#include "tests/integration/discovery/discovery_run_fixture.h"
#include "integrity/root_keys.h"

namespace {

using namespace discoverytest;
using testserver::Fault;

TEST_F(DownloadUpdatesTest, FetchesGatewayListAndFilesInListOrderBelowTheVersionFolder) {
    site_.PutFile("gateway.ini", "  \t1.0.3  \r\nbeta=2.0\r\n");
    PutRelease("1.0.3", {{"zeta.dat", Content("zeta", 3000)},
                         {"bin/alpha.dll", Content("alpha", 70000)},
                         {"mid.pak", Content("mid", 10)}});
    ASSERT_EQ(discovery::kFetched, Run());

    EXPECT_EQ((std::vector<std::string>{"gateway.ini", "1.0.3/Arkenfel_List.ini", "1.0.3/zeta.dat",
                                        "1.0.3/bin/alpha.dll", "1.0.3/mid.pak"}),
              RequestedFiles());
    EXPECT_EQ(site_.BaseUrl() + "/1.0.3", state_.m_strServerUrl);
    EXPECT_EQ(Content("alpha", 70000), testenv::ReadFileBytes(install_ / "bin\\alpha.dll_"));
    EXPECT_EQ(Content("zeta", 3000), testenv::ReadFileBytes(install_ / "zeta.dat_"));
    EXPECT_TRUE(testenv::FileExists(install_ / "Arkenfel_List.ini_"));
    EXPECT_FALSE(testenv::FileExists(install_ / "gateway.ini_"));
    EXPECT_FALSE(testenv::FileExists(install_ / "zeta.$ver$"));

    EXPECT_EQ(3u, state_.m_nFileCount);
    EXPECT_EQ(73010u, state_.m_bytes.Total());
    EXPECT_FALSE(state_.m_bSelfUpdate);
    ASSERT_EQ(3u, state_.m_mapFetched.size());
    EXPECT_EQ("bin\\alpha.dll", state_.m_mapFetched[1].localPath);
    EXPECT_EQ(1u, state_.m_mapUpdatedFiles.count("bin\\alpha.dll"));
    EXPECT_EQ("mid.pak", report_.Text(kFileNameLabel));
    EXPECT_EQ("파일 수신 중...", Status());

    // The transfers reported every byte of every file to the window.
    uint64_t reported = 0;
    for (const auto& record : report_.reports) {
        EXPECT_EQ(&report_, record.report);
        reported += record.lastChunk;
    }
    EXPECT_EQ(73010u, reported);
    const auto total = report_.BarEvents(kTotalProgressBar);
    EXPECT_EQ((std::vector<testenv::BarEvent>{{kTotalProgressBar, true, 100}, {kTotalProgressBar, false, 0}}),
              total);
    EXPECT_EQ(0u, report_.boxes.size());
}

TEST_F(DownloadUpdatesTest, OptionKeyChoosesItsFolderAndAllCurrentFilesGiveNothingToFetch) {
    site_.PutFile("gateway.ini", "1.0\r\nbeta = 2.0\r\nbeta=3.0\r\n");
    PutRelease("2.0", {{"a.dat", Content("a", 100)}});
    testenv::WriteFileBytes(install_ / "a.dat", Content("a", 100));
    EXPECT_EQ(discovery::kNothingToFetch, Run("beta"));
    EXPECT_EQ((std::vector<std::string>{"gateway.ini", "2.0/Arkenfel_List.ini"}), RequestedFiles());
    EXPECT_EQ(0u, state_.m_nFileCount);
    EXPECT_EQ("업데이트 대상을 확인하고 있습니다...", Status());
}

TEST_F(DownloadUpdatesTest, ServerDisabledMakesNoRequest) {
    EXPECT_EQ(discovery::kServerDisabled, discovery::DownloadUpdates(state_, "  //" + site_.BaseUrl(), ""));
    EXPECT_TRUE(site_.Requests().empty());
    EXPECT_EQ("", state_.m_strServerUrl);
    EXPECT_EQ("서버 점검 중!", report_.Text(kFileNameLabel));
    EXPECT_EQ("서버 점검으로 스킵합니다!", Status());
}

TEST_F(DownloadUpdatesTest, MissingGatewayFailsWithItsStatusText) {
    EXPECT_EQ(discovery::kFailed, Run());
    EXPECT_EQ("최종 버전을 가져오는 데 실패했습니다!", Status());
    EXPECT_EQ((std::vector<std::string>{"gateway.ini"}), RequestedFiles());
    // The control file's box after its last attempt reaches the run's report.
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ("QueryInfoStatusCode: 404", report_.boxes[0].text);
    EXPECT_EQ(base::kErrorBoxType, report_.boxes[0].type);
}

TEST_F(DownloadUpdatesTest, GatewayWithoutALineForTheKeyFailsWithoutAskingForTheList) {
    site_.PutFile("gateway.ini", "alpha=1.0\r\nbeta=2.0\r\n");
    EXPECT_EQ(discovery::kFailed, Run("gamma"));
    EXPECT_EQ("최종 버전 확인에 실패했습니다!", Status());
    EXPECT_EQ((std::vector<std::string>{"gateway.ini"}), RequestedFiles());
    EXPECT_FALSE(testenv::FileExists(install_ / "gateway.ini_"));
}

TEST_F(DownloadUpdatesTest, MissingListFailsWithItsStatusText) {
    site_.PutFile("gateway.ini", "1.0\r\n");
    EXPECT_EQ(discovery::kFailed, Run());
    EXPECT_EQ("업데이트 목록을 가져오는 데 실패했습니다!", Status());
    // The gateway came and the list did not: neither counted a byte in the
    // window, and the list's box was reported.
    EXPECT_TRUE(report_.reports.empty());
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ("QueryInfoStatusCode: 404", report_.boxes[0].text);
}

TEST_F(DownloadUpdatesTest, SkinFileAmongTenOthersIsFetchedAlone) {
    site_.PutFile("gateway.ini", "v\r\n");
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 5; ++i) files.push_back({"data/f" + std::to_string(i) + ".pak", Content("f", 50 + i)});
    files.push_back({"styles/Vantero.cjstyles", Content("skin", 4000)});
    for (int i = 5; i < 10; ++i) files.push_back({"data/f" + std::to_string(i) + ".pak", Content("f", 50 + i)});
    PutRelease("v", files);
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_TRUE(state_.m_bSelfUpdate);
    EXPECT_EQ(1u, state_.m_nFileCount);
    EXPECT_EQ(4000u, state_.m_bytes.Total());
    EXPECT_EQ((std::vector<std::string>{"gateway.ini", "v/Arkenfel_List.ini", "v/styles/Vantero.cjstyles"}),
              RequestedFiles());
    ASSERT_EQ(1u, state_.m_mapFetched.size());
    EXPECT_EQ(5, state_.m_mapFetched.begin()->first);
    EXPECT_TRUE(testenv::FileExists(install_ / "styles\\Vantero.cjstyles_"));
}

TEST_F(DownloadUpdatesTest, CompleteStagedFileIsReportedOnceWithoutARequest) {
    site_.PutFile("gateway.ini", "v\r\n");
    PutRelease("v", {{"staged.dat", Content("staged", 5000)}, {"fresh.dat", Content("fresh", 20)}});
    testenv::WriteFileBytes(install_ / "staged.dat_", Content("staged", 5000));
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ((std::vector<std::string>{"gateway.ini", "v/Arkenfel_List.ini", "v/fresh.dat"}), RequestedFiles());
    ASSERT_FALSE(report_.reports.empty());
    const base::TransferProgress& first = report_.reports.front();
    EXPECT_EQ(5000u, first.lastChunk);
    EXPECT_EQ(5000u, first.done);
    EXPECT_EQ(0u, first.remaining);
    EXPECT_EQ(5000u, first.total);
    size_t stagedReports = 0;
    for (const auto& record : report_.reports) stagedReports += record.total == 5000 ? 1 : 0;
    EXPECT_EQ(1u, stagedReports);
    EXPECT_EQ(2u, state_.m_mapFetched.size());
}

// A home that could not be made the program's: a file someone changed behind
// a local list that still calls it current (an entry steered by its
// revision is compared by the lists alone), and a complete staged file he
// may have changed, are both fetched again.
TEST_F(DownloadUpdatesTest, InAHomeThatIsNotTheProgramsTheLocalListAndStagedLeftoversDecideNothing) {
    site_.PutFile("gateway.ini", "v\r\n");
    const std::string list = "[Client]\r\nnotes.txt=|0||r1\r\n";
    site_.PutFile("v/Arkenfel_List.ini", list);
    site_.PutFile("v/notes.txt", "new notes");
    testenv::WriteFileBytes(install_ / "Arkenfel_List.ini", list);
    testenv::WriteFileBytes(install_ / "notes.txt", "someone's notes");
    Run();
    EXPECT_EQ((std::vector<std::string>{"gateway.ini", "v/Arkenfel_List.ini"}), RequestedFiles())
        << "the local list decides in a home of the program's";

    PutRelease("w", {{"b.dat", Content("b", 4000)}});
    site_.PutFile("gateway.ini", "w\r\n");
    testenv::WriteFileBytes(install_ / "b.dat_", Content("b", 4000));
    state_.m_bHomeUntrusted = true;
    site_.SetFaults({});
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ((std::vector<std::string>{"gateway.ini", "w/Arkenfel_List.ini", "w/b.dat"}), RequestedFiles());

    site_.PutFile("gateway.ini", "v\r\n");
    site_.SetFaults({});
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ((std::vector<std::string>{"gateway.ini", "v/Arkenfel_List.ini", "v/notes.txt"}), RequestedFiles());
    EXPECT_EQ("new notes", testenv::ReadFileBytes(install_ / "notes.txt_"));
}

TEST_F(DownloadUpdatesTest, MissingStagedFileIsFetchedEvenWhenTheListGivesNoSizeNorFingerprint) {
    site_.PutFile("gateway.ini", "v\r\n");
    site_.PutFile("v/Arkenfel_List.ini", "[Client]\r\nnotes.txt=|0||r1\r\n");
    site_.PutFile("v/notes.txt", "new notes");
    testenv::WriteFileBytes(install_ / "Arkenfel_List.ini", "[Client]\r\nnotes.txt=|0||r0\r\n");
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ((std::vector<std::string>{"gateway.ini", "v/Arkenfel_List.ini", "v/notes.txt"}), RequestedFiles());
    EXPECT_EQ("new notes", testenv::ReadFileBytes(install_ / "notes.txt_"));
    EXPECT_EQ(1u, state_.m_bytes.Total());
}

TEST_F(DownloadUpdatesTest, ThirdOfFiveTransfersFailingStopsTheRun) {
    site_.PutFile("gateway.ini", "v\r\n");
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 5; ++i) files.push_back({"f" + std::to_string(i) + ".dat", Content("file", 100 + i)});
    PutRelease("v", files);
    site_.SetFaults({Fault{"v/f2.dat", "", {}, "status", 500}});
    EXPECT_EQ(discovery::kFailed, Run());
    ASSERT_EQ(2u, state_.m_mapFetched.size());
    EXPECT_EQ("f1.dat", state_.m_mapFetched.rbegin()->second.localPath);
    const auto requested = RequestedFiles();
    EXPECT_EQ("v/f2.dat", requested.back());
    EXPECT_EQ(0u, state_.m_mapUpdatedFiles.count("f2.dat"));
    EXPECT_GE(report_.boxes.size(), 1u);  // the transfer layer's own error box
}

// A list entry whose name cannot be a file ends the run at its turn: no
// folder of it is made and it is never requested.
TEST_F(DownloadUpdatesTest, AnEntryWhoseNameCannotBeAFileFailsTheRunAtItsTurn) {
    site_.PutFile("gateway.ini", "v\r\n");
    const std::string a = Content("a", 100), b = Content("b", 200);
    site_.PutFile("v/a.dat", a);
    site_.PutFile("v/b.dat", b);
    site_.PutFile("v/Arkenfel_List.ini", "[Client]\r\na.dat=" + ListValue(a) + "\r\nb.dat|sub/" +
                                             std::string(300, 'b') + ".dat=" + ListValue(b) + "\r\n");
    EXPECT_EQ(discovery::kFailed, Run());
    ASSERT_EQ(1u, state_.m_mapFetched.size());
    EXPECT_EQ("v/a.dat", RequestedFiles().back());
    EXPECT_FALSE(::PathIsDirectoryA((install_ / "sub").c_str()));
}

TEST_F(DownloadUpdatesTest, FileHeldByARunningProgramStopsBeforeAnyTransfer) {
    site_.PutFile("gateway.ini", "v\r\n");
    PutRelease("v", {{"free.dat", Content("free", 10)}, {"held.dat", Content("held", 10)}});
    testenv::WriteFileBytes(install_ / "held.dat", "old");
    base::UniqueFile held(::CreateFileA((install_ / "held.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.valid());
    EXPECT_EQ(discovery::kFilesHeld, Run());  // the report is asked once and does not retry
    // The files in use as the running-file check names them, in upper case.
    EXPECT_EQ((std::vector<base::StringList>{{base::ToUpperAnsi(install_ / "held.dat")}}), report_.heldFiles);
    EXPECT_EQ((std::vector<std::string>{"gateway.ini", "v/Arkenfel_List.ini"}), RequestedFiles());
    EXPECT_TRUE(state_.m_mapFetched.empty());
}

TEST_F(SignedReleaseTest, SignatureIsCheckedRightAfterTheListAndItsSerialIsKept) {
    PublishSigned(files_, 500);
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ((std::vector<std::string>{"gateway.ini", "v/Arkenfel_List.ini", "v/Arkenfel_Release.sig", "v/a.dat",
                                        "v/b.dat"}),
              RequestedFilesSorted(3));
    EXPECT_EQ(0u, report_.boxes.size());
    EXPECT_EQ(500u, base::ReadReleaseSerial());
    EXPECT_EQ(files_[0].second, StagedBytes("a.dat_"));
    EXPECT_FALSE(testenv::FileExists(install_ / "Arkenfel_Release.sig_"));
    // The same release again: an equal serial is no replay.
    ::DeleteFileA((install_ / "a.dat_").c_str());
    EXPECT_EQ(discovery::kFetched, Run());
}

TEST_F(SignedReleaseTest, AReleaseForOneChannelIsTakenOnlyByUpdatersThatChoseItsGatewayLine) {
    PublishSigned(files_, 500, "v", "test_release_key.pem", {"beta"});
    site_.PutFile("gateway.ini", "v\r\nbeta=v\r\n");
    ASSERT_EQ(discovery::kFetched, Run("beta"));
    EXPECT_EQ(0u, report_.boxes.size());
    // An updater started for a key the gateway lacks falls back to the plain
    // line, and so to a channel the release is not published for.
    site_.SetFaults({});
    EXPECT_EQ(discovery::kFailed, Run("stable"));
    EXPECT_EQ((std::vector<std::string>{"gateway.ini", "v/Arkenfel_List.ini", "v/Arkenfel_Release.sig"}),
              RequestedFiles());
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ("업데이트 서명이 다른 채널의 것입니다.\n서명이 확인되지 않은 업데이트는 설치하지 않습니다.",
              report_.boxes[0].text);
}

// Every request of a file, as "<kind> <range>".
std::vector<std::string> Kinds(const testserver::TestSite& site, const std::string& file) {
    std::vector<std::string> kinds;
    for (const auto& request : site.Requests())
        if (request.file == file) kinds.push_back(request.kind + " " + request.range);
    return kinds;
}

TEST_F(SignedReleaseTest, FilesComeWithOneRangedRequestFromTheSignedSizeAndAFailedPartialStartsOverOnce) {
    PublishSigned(files_, 500);
    ASSERT_EQ(discovery::kFetched, Run());
    // The steering texts as ever (a size query, then their bytes); the files
    // with no size query.
    for (const char* text : {"gateway.ini", "v/Arkenfel_List.ini", "v/Arkenfel_Release.sig"})
        EXPECT_EQ(2u, Kinds(site_, text).size()) << text;
    EXPECT_EQ(std::vector<std::string>{"range bytes=0-2999"}, Kinds(site_, "v/a.dat"));
    EXPECT_EQ(std::vector<std::string>{"range bytes=0-39"}, Kinds(site_, "v/b.dat"));

    // A partial file an earlier run left under its marker: continued from its
    // length, without samples; the hash decides.
    const std::string& content = files_[0].second;
    const std::string value = ListValue(content);
    const std::string fingerprint = value.substr(value.find('|', 1) + 1, 16);
    const auto leavePartial = [&](const std::string& head) {
        state_.m_trust.LetGoOfStaged();  // the last run's process has ended and let go of its checked files
        testenv::WriteFileBytes(install_ / "a.dat_", head);
        testenv::WriteFileBytes(install_ / "a.$ver$", fingerprint);
        ::DeleteFileA((install_ / "b.dat_").c_str());
        site_.SetFaults({});
        report_.reports.clear();
    };
    leavePartial(content.substr(0, 1000));
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ(std::vector<std::string>{"range bytes=1000-2999"}, Kinds(site_, "v/a.dat"));
    EXPECT_EQ(content, StagedBytes("a.dat_"));

    // A partial whose bytes are not the file's: once more from byte 0, and the
    // window is told of every byte again.
    std::string wrong = content.substr(0, 1000);
    wrong[10] ^= 1;
    leavePartial(wrong);
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ((std::vector<std::string>{"range bytes=1000-2999", "range bytes=0-2999"}), Kinds(site_, "v/a.dat"));
    EXPECT_EQ(content, StagedBytes("a.dat_"));
    uint64_t reported = 0;
    for (const auto& record : report_.reports) reported += record.lastChunk;
    EXPECT_EQ(1000u + 2000u + 3000u + 40u, reported);
    EXPECT_EQ(0u, report_.boxes.size());

    // A server whose file does not match the signature cannot keep the
    // updater asking: the fresh start is the last.
    std::string tampered = content;
    tampered[2500] ^= 1;
    site_.PutFile("v/a.dat", tampered);
    leavePartial(content.substr(0, 1000));
    EXPECT_EQ(discovery::kFailed, Run());
    EXPECT_EQ((std::vector<std::string>{"range bytes=1000-2999", "range bytes=0-2999"}), Kinds(site_, "v/a.dat"));
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ(0u, report_.boxes[0].text.find("[a.dat] 파일이 업데이트 서명과 일치하지 않습니다."));
    EXPECT_FALSE(testenv::FileExists(install_ / "a.dat_"));
    EXPECT_FALSE(testenv::FileExists(install_ / "a.$ver$"));
}

TEST_F(SignedReleaseTest, EveryRefusalFetchesNoFileAndAcceptsNoSerial) {
    const std::string notInstalled = "\n서명이 확인되지 않은 업데이트는 설치하지 않습니다.";
    struct Case {
        const char* name;
        std::function<void()> setUp;
        std::string reason;
    };
    const Case cases[] = {
        {"missing signature", [&] { PublishSigned(files_, 500); site_.PutFile("v/Arkenfel_Release.sig", ""); },
         "업데이트 서명 파일을 받을 수 없습니다."},
        {"tampered list",
         [&] {
             PublishSigned(files_, 500);
             site_.PutFile("v/Arkenfel_List.ini", testenv::ReadFileBytes(site_.ServedPath("v/Arkenfel_List.ini")) +
                                                      "c.dat=|3|x|\r\n");
         },
         "업데이트 목록이 서명과 일치하지 않습니다."},
        {"wrong key", [&] { PublishSigned(files_, 500, "v", "other_release_key.pem"); },
         "업데이트 서명이 올바르지 않습니다."},
        {"replayed older serial", [&] { PublishSigned(files_, 499); }, "이미 설치한 업데이트보다 오래된 업데이트입니다."},
        {"other folder", [&] { PublishSigned(files_, 600, "w"); }, "업데이트 서명이 다른 버전 폴더의 것입니다."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        base::WriteReleaseSerial(500);
        site_.SetFaults({});
        test.setUp();
        const size_t boxesBefore = report_.boxes.size();
        EXPECT_EQ(discovery::kFailed, Run());
        EXPECT_EQ((std::vector<std::string>{"gateway.ini", "v/Arkenfel_List.ini", "v/Arkenfel_Release.sig"}),
                  RequestedFiles());
        EXPECT_EQ(std::vector<std::string>{}, StagedNames());
        EXPECT_EQ("업데이트 서명 확인에 실패했습니다!", Status());
        ASSERT_LT(boxesBefore, report_.boxes.size());
        EXPECT_EQ(test.reason + notInstalled, report_.boxes.back().text);
        EXPECT_EQ(500u, base::ReadReleaseSerial());
    }
}

TEST_F(SignedReleaseTest, StagedFileThatDiffersFromTheSignatureIsDeletedAndFetchedAgainNextRun) {
    PublishSigned(files_, 500);
    std::string tampered = files_[0].second;
    tampered[100] ^= 1;  // a byte the sampled fingerprint does not look at
    site_.PutFile("v/a.dat", tampered);
    EXPECT_EQ(discovery::kFailed, Run());
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ(0u, report_.boxes[0].text.find("[a.dat] 파일이 업데이트 서명과 일치하지 않습니다."));
    // b.dat, in flight beside it, may have been staged; a.dat is gone.
    for (const std::string& name : StagedNames()) EXPECT_TRUE(name == "Arkenfel_List.ini_" || name == "b.dat_") << name;
    EXPECT_FALSE(testenv::FileExists(install_ / "a.dat_"));
    EXPECT_FALSE(testenv::FileExists(install_ / "a.$ver$"));
    for (const auto& item : state_.m_mapFetched) EXPECT_EQ("b.dat", item.second.localPath);

    // A complete staged copy that the disk check takes as current is checked too.
    site_.PutFile("v/a.dat", files_[0].second);
    testenv::WriteFileBytes(install_ / "a.dat_", tampered);
    site_.SetFaults({});
    EXPECT_EQ(discovery::kFailed, Run());
    const auto requested = RequestedFiles();
    EXPECT_EQ(requested.end(), std::find(requested.begin(), requested.end(), "v/a.dat"));
    EXPECT_FALSE(testenv::FileExists(install_ / "a.dat_"));

    site_.SetFaults({});
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ(files_[0].second, StagedBytes("a.dat_"));
    EXPECT_EQ(2u, state_.m_mapFetched.size());
}

// The attacker's swap of a staged file after its check: writing into it, or
// renaming another file over it. Neither gets through, and the bytes
// installed are the bytes checked.
TEST_F(SignedReleaseTest, AStagedFileIsInstalledAsItWasChecked) {
    PublishSigned(files_, 500);
    ASSERT_EQ(discovery::kFetched, Run());
    const std::string staged = install_ / "a.dat_", target = install_ / "a.dat";
    const std::string swapped = std::string(files_[0].second.size(), 'S');
    base::UniqueFile writer(::CreateFileA(staged.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                          FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD written = 0;
    if (writer) ::WriteFile(writer.get(), swapped.data(), static_cast<DWORD>(swapped.size()), &written, nullptr);
    writer.reset();
    testenv::WriteFileBytes(install_ / "swap.dat", swapped);
    ::MoveFileExA((install_ / "swap.dat").c_str(), staged.c_str(), MOVEFILE_REPLACE_EXISTING);

    const release::ListEntry entry = state_.m_mapFetched.begin()->second;
    ASSERT_EQ("a.dat", entry.localPath);
    BY_HANDLE_FILE_INFORMATION checked = {};
    ASSERT_TRUE(::GetFileInformationByHandle(state_.m_trust.HeldFor(entry.index), &checked));
    ASSERT_TRUE(discovery::InstallStagedFile(state_, entry, staged, target));
    EXPECT_TRUE(files_[0].second == testenv::ReadFileBytes(target));
    EXPECT_FALSE(testenv::FileExists(staged));
    EXPECT_EQ(0u, report_.boxes.size());
    // The checked file itself went into place, renamed through its download's handle.
    const base::UniqueFile installed(::CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                   OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION placed = {};
    ASSERT_TRUE(::GetFileInformationByHandle(installed.get(), &placed));
    EXPECT_EQ(checked.nFileIndexLow, placed.nFileIndexLow);
    EXPECT_EQ(checked.nFileIndexHigh, placed.nFileIndexHigh);
}

// The release installed last, kept in the install folder, decides what later
// runs without a verified release of their own may start.
TEST_F(SignedReleaseTest, TheKeptReleaseAdmitsItsOwnFilesOnly) {
    PublishSigned(files_, 500);
    ASSERT_EQ(discovery::kFetched, Run());
    for (const auto& item : state_.m_mapFetched) {
        const std::string target = install_ / item.second.localPath;
        ASSERT_TRUE(discovery::InstallStagedFile(state_, item.second, target + "_", target));
    }
    ASSERT_TRUE(discovery::StoreReleaseRecord(state_));
    EXPECT_EQ(testenv::ReadFileBytes(site_.ServedPath("v/Arkenfel_Release.sig")),
              testenv::ReadFileBytes(install_ / "Arkenfel_Release.sig"));

    discovery::UpdateState later;
    later.m_builtInRoots = state_.m_builtInRoots;
    later.report = &report_;
    auto gate = discovery::GateOfKeptRelease(install_.path(), later);
    ASSERT_TRUE(gate);
    base::UniqueFile held;
    EXPECT_EQ(install::GateResult::kAdmitted, gate->Admit(install_ / "a.dat", held));
    EXPECT_FALSE(::DeleteFileA((install_ / "a.dat").c_str()));  // held while it is used
    held.reset();
    std::string bytes;
    EXPECT_EQ(install::GateResult::kAdmitted, gate->ReadInstructions(install_ / "B.DAT", bytes));
    EXPECT_EQ(files_[1].second, bytes);
    const std::string system = base::SystemFolder() + "\\regsvr32.exe";
    EXPECT_EQ(install::GateResult::kAdmitted, gate->Admit(system, held));
    EXPECT_EQ(0u, report_.boxes.size());

    testenv::WriteFileBytes(install_ / "b.dat", "changed");
    testenv::WriteFileBytes(install_ / "planted.exe", "planted");
    EXPECT_EQ(install::GateResult::kRefused, gate->Admit(install_ / "b.dat", held));
    EXPECT_EQ(install::GateResult::kRefused, gate->ReadInstructions(install_ / "planted.exe", bytes));
    EXPECT_EQ(install::GateResult::kMissing, gate->Admit(install_ / "absent.exe", held));
    ASSERT_EQ(2u, report_.boxes.size());
    EXPECT_EQ("[b.dat] 파일이 업데이트 서명과 일치하지 않습니다.\n사용하지 않고 지웠습니다. 다음 실행 때 다시 받습니다.",
              report_.boxes[0].text);
    EXPECT_EQ("[planted.exe] 파일이 업데이트 서명에 없습니다.\n서명된 업데이트의 파일만 사용합니다.", report_.boxes[1].text);
    EXPECT_FALSE(testenv::FileExists(install_ / "b.dat"));

    // A record that does not hold admits nothing of the install folder; on a
    // machine where no release has verified, there is nothing to check against.
    std::string list = testenv::ReadFileBytes(install_ / "Arkenfel_Release.lst");
    list[0] ^= 1;
    testenv::WriteFileBytes(install_ / "Arkenfel_Release.lst", list);
    gate = discovery::GateOfKeptRelease(install_.path(), later);
    ASSERT_TRUE(gate);
    EXPECT_EQ(install::GateResult::kRefused, gate->Admit(install_ / "a.dat", held));
    EXPECT_EQ(0u, report_.boxes.back().text.find("[a.dat] 파일을 확인할 수 없습니다."));
    base::WriteInstalledRelease(nullptr);
    EXPECT_FALSE(discovery::GateOfKeptRelease(install_.path(), later));
}

// The record is the release installed last, byte for byte: a genuine older
// record put back with its files (an old client, say) vouches for nothing.
TEST_F(SignedReleaseTest, AnOlderGenuineRecordPutBackVouchesForNothing) {
    const auto installRelease = [&](const Files& files, uint32_t serial) {
        PublishSigned(files, serial);
        site_.SetFaults({});
        ASSERT_EQ(discovery::kFetched, Run());
        for (const auto& item : state_.m_mapFetched) {
            const std::string target = install_ / item.second.localPath;
            ASSERT_TRUE(discovery::InstallStagedFile(state_, item.second, target + "_", target));
        }
        ASSERT_TRUE(discovery::StoreReleaseRecord(state_));
    };
    installRelease(files_, 500);
    const std::string oldSignature = testenv::ReadFileBytes(install_ / "Arkenfel_Release.sig");
    const std::string oldList = testenv::ReadFileBytes(install_ / "Arkenfel_Release.lst");
    installRelease({{"a.dat", Content("a2", 3000)}, files_[1]}, 501);

    testenv::WriteFileBytes(install_ / "Arkenfel_Release.sig", oldSignature);
    testenv::WriteFileBytes(install_ / "Arkenfel_Release.lst", oldList);
    testenv::WriteFileBytes(install_ / "a.dat", files_[0].second);
    discovery::UpdateState later;
    later.m_builtInRoots = state_.m_builtInRoots;
    later.report = &report_;
    const auto gate = discovery::GateOfKeptRelease(install_.path(), later);
    ASSERT_TRUE(gate);
    base::UniqueFile held;
    EXPECT_EQ(install::GateResult::kRefused, gate->Admit(install_ / "a.dat", held));
    EXPECT_EQ(0u, report_.boxes.back().text.find("[a.dat] 파일을 확인할 수 없습니다."));
}

// The build's lowest serial holds on a machine that has accepted nothing
// yet, and the old per-user value, which any program of the user can write,
// decides nothing.
TEST_F(SignedReleaseTest, TheBuildsLowestSerialHoldsAndAUserValueDecidesNothing) {
    state_.m_trustFloor.serial = 600;
    PublishSigned(files_, 500);
    EXPECT_EQ(discovery::kFailed, Run());
    ASSERT_EQ(1u, report_.boxes.size());
    EXPECT_EQ(0u, report_.boxes[0].text.find("이미 설치한 업데이트보다 오래된 업데이트입니다."));

    HKEY user = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\VANTERO\\UPDATER", 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, &user, nullptr));
    const DWORD highest = 0xFFFFFFFF;
    ::RegSetValueExA(user, "ReleaseSerial", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&highest), sizeof(highest));
    PublishSigned(files_, 700);
    site_.SetFaults({});
    EXPECT_EQ(discovery::kFetched, Run());
    EXPECT_EQ(700u, base::ReadReleaseSerial());
    ::RegDeleteValueA(user, "ReleaseSerial");
    ::RegCloseKey(user);
}

// A machine whose stored root version stands below the roots a newer build
// carries (it followed a statement once, then got an updater built with later
// roots): the first release under the build's roots starts its serials anew,
// and from then on they hold. A server replaying an older release of those
// roots is refused on every later run.
TEST_F(SignedReleaseTest, AStoredRootVersionBelowTheBuildsRootsIsRaisedOnceAndOlderSerialsAreRefusedAfter) {
    integrity::RootSetFromKeyFiles({testenv::ReadFileBytes(KeyPath("test_release_key.pub.pem"))}, 1, 2,
                                   state_.m_builtInRoots);
    base::WriteRootPin({1, std::string(64, 'a')});
    base::WriteReleaseSerial(900);
    PublishSigned(files_, 600);
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ(600u, base::ReadReleaseSerial());
    EXPECT_EQ(2u, base::ReadRootPin().version);

    PublishSigned(files_, 500);
    EXPECT_EQ(discovery::kFailed, Run());
    ASSERT_FALSE(report_.boxes.empty());
    EXPECT_EQ(0u, report_.boxes.back().text.find("이미 설치한 업데이트보다 오래된 업데이트입니다."));
    EXPECT_EQ(600u, base::ReadReleaseSerial());
}

}  // namespace
