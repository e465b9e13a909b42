// The update decisions and the comparison of the server list with the local
// list and the disk, with its progress on the file progress bar.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/window_protocol.h"
#include "discovery/compare_lists.h"
#include "release/file_identity.h"
#include "discovery/update_rules.h"
#include "release/entry_on_disk.h"
#include "tests/support/test_env.h"
#include "tests/support/recording_report.h"

namespace {

using release::ListEntry;
using testenv::BarEvent;

std::string FingerprintOf(const std::string& path) {
    char text[17] = {};
    release::ComputeFingerprint(path, text);
    return text;
}

ListEntry Entry(const std::string& version, uint32_t size, const std::string& fingerprint,
                const std::string& revision, const std::string& path = "") {
    ListEntry entry;
    entry.version = version;
    entry.size = size;
    entry.fingerprint = fingerprint;
    entry.revision = revision;
    entry.localPath = path;
    return entry;
}

class RulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_ / "data.pak";
        testenv::WriteFileBytes(path_, "0123456789");
        fingerprint_ = FingerprintOf(path_);
    }
    testenv::ScratchDir dir_{"discovery_rules"};
    std::string path_;
    std::string fingerprint_;
};

TEST_F(RulesTest, NewerRevisionWinsAndEqualRevisionOnlyRefetchesMissingOrEmptyFiles) {
    const ListEntry server = Entry("", 10, fingerprint_, "r2");
    EXPECT_TRUE(discovery::NeedsUpdateByList(server, Entry("", 10, fingerprint_, "r1", path_)));
    EXPECT_FALSE(discovery::NeedsUpdateByList(server, Entry("", 10, fingerprint_, "r3", path_)));
    // With a revision, differing sizes and fingerprints are not looked at.
    const ListEntry same = Entry("9.9", 99, "different", "r1");
    EXPECT_FALSE(discovery::NeedsUpdateByList(same, Entry("", 10, fingerprint_, "r1", path_)));
    EXPECT_TRUE(discovery::NeedsUpdateByList(same, Entry("", 10, fingerprint_, "r1", dir_ / "missing.pak")));
    testenv::WriteFileBytes(dir_ / "empty.pak", "");
    EXPECT_TRUE(discovery::NeedsUpdateByList(same, Entry("", 10, fingerprint_, "r1", dir_ / "empty.pak")));
}

TEST_F(RulesTest, WithoutRevisionListsMustAgreeAndTheFileMustMatch) {
    const ListEntry server = Entry("1.005", 10, fingerprint_, "");
    EXPECT_FALSE(discovery::NeedsUpdateByList(server, Entry("1, 0, 0, 5", 10, fingerprint_, "", path_)));
    EXPECT_TRUE(discovery::NeedsUpdateByList(server, Entry("1.005", 11, fingerprint_, "", path_)));
    EXPECT_TRUE(discovery::NeedsUpdateByList(server, Entry("1.006", 10, fingerprint_, "", path_)));
    std::string upper = fingerprint_;
    for (char& ch : upper) ch = static_cast<char>(::toupper(static_cast<unsigned char>(ch)));
    if (upper != fingerprint_) {
        EXPECT_TRUE(discovery::NeedsUpdateByList(server, Entry("1.005", 10, upper, "", path_)));
    }
    // Both lists agree but the file on disk was changed since.
    testenv::WriteFileBytes(path_, "0123456780");
    EXPECT_TRUE(discovery::NeedsUpdateByList(server, Entry("1.005", 10, fingerprint_, "", path_)));
}

TEST_F(RulesTest, OnDiskComparesSizeProductVersionAndFingerprint) {
    EXPECT_FALSE(release::NeedsUpdateOnDisk(Entry("", 10, fingerprint_, ""), path_));
    EXPECT_TRUE(release::NeedsUpdateOnDisk(Entry("", 11, fingerprint_, ""), path_));
    EXPECT_TRUE(release::NeedsUpdateOnDisk(Entry("1.0", 10, fingerprint_, ""), path_));
    EXPECT_TRUE(release::NeedsUpdateOnDisk(Entry("", 10, "0000000000000000", ""), path_));
    EXPECT_TRUE(release::NeedsUpdateOnDisk(Entry("", 0, "", ""), dir_ / "missing.pak") == false);
    EXPECT_TRUE(release::NeedsUpdateOnDisk(Entry("", 0, "0000000000000000", ""), dir_ / "missing.pak"));

    const std::string dll = dir_ / "module.dll";
    ASSERT_TRUE(::CopyFileA((testenv::BinDir() + "discovery_version_1005.dll").c_str(), dll.c_str(), FALSE));
    const uint32_t size = static_cast<uint32_t>(release::GetFileSize64(dll));
    EXPECT_FALSE(release::NeedsUpdateOnDisk(Entry("1, 0, 0, 5", size, FingerprintOf(dll), ""), dll));
    EXPECT_TRUE(release::NeedsUpdateOnDisk(Entry("1, 0, 0, 6", size, FingerprintOf(dll), ""), dll));
    EXPECT_TRUE(release::NeedsUpdateOnDisk(Entry("", size, FingerprintOf(dll), ""), dll));
}

class CompareListsTest : public ::testing::Test {
protected:
    CompareListsTest() {
        state_.m_strInstallFolder = dir_.path();
        state_.report = &report_;
    }
    void WriteServerList(const std::string& text) { testenv::WriteFileBytes(dir_ / "Arkenfel_List.ini_", text); }
    void WriteLocalList(const std::string& text) { testenv::WriteFileBytes(dir_ / "Arkenfel_List.ini", text); }
    // A file in the install folder and its list value "|size|fingerprint|".
    std::string Present(const std::string& name, const std::string& content) {
        testenv::WriteFileBytes(dir_ / name, content);
        return "|" + std::to_string(content.size()) + "|" + FingerprintOf(dir_ / name) + "|";
    }
    std::vector<std::string> PendingNames() const {
        std::vector<std::string> names;
        for (const auto& item : state_.m_mapPending) names.push_back(item.second.localPath);
        return names;
    }

    testenv::ScratchDir dir_{"discovery_compare"};
    testenv::RecordingReport report_;
    discovery::UpdateState state_;
};

TEST_F(CompareListsTest, WithoutLocalListComparesTheDiskAndCountsEmptyFilesAsOneByte) {
    const std::string current = Present("current.dat", "same content");
    ::CreateDirectoryA((dir_ / "bin").c_str(), nullptr);
    Present("bin\\changed.dat", "old");
    WriteServerList("[Files]\r\ncurrent.dat=" + current + "\r\nbin/changed.dat=|5|0000000000000000|\r\n" +
                    "empty.dat=|0|0123456789abcdef|\r\n");
    state_.m_mapFetched[7] = ListEntry();

    EXPECT_EQ(5u + 1u, discovery::CompareLists(state_));
    EXPECT_EQ((std::vector<std::string>{"bin\\changed.dat", "empty.dat"}), PendingNames());
    EXPECT_EQ(0, state_.m_mapPending.begin()->first);
    EXPECT_EQ(1, state_.m_mapPending.rbegin()->second.index);
    EXPECT_EQ("bin/changed.dat", state_.m_mapPending.begin()->second.remoteName);
    EXPECT_TRUE(state_.m_mapFetched.empty());
}

TEST_F(CompareListsTest, WithLocalListComparesTheListsUnderTheSameSectionAndKey) {
    const std::string a = Present("a.dat", "aaaa");
    const std::string b = Present("b.dat", "bbbbbbb");
    WriteServerList("[Main]\r\na.dat=" + a + "r2\r\nb.dat=" + b + "\r\nc.dat=" + b + "\r\n");
    // a: older local revision; b: same on both sides; c: missing from the local list.
    WriteLocalList("[Main]\r\na.dat=" + a + "r1\r\nb.dat=" + b + "\r\n[Other]\r\nc.dat=" + b + "\r\n");
    EXPECT_EQ(4u + 7u, discovery::CompareLists(state_));
    EXPECT_EQ((std::vector<std::string>{"a.dat", "c.dat"}), PendingNames());
}

TEST_F(CompareListsTest, DuplicateKeysAreTakenTwiceWithTheFirstValue) {
    WriteServerList("[Files]\r\nx.dat=|3|0000000000000000|\r\nx.dat=|900|0000000000000000|\r\n");
    EXPECT_EQ(6u, discovery::CompareLists(state_));
    ASSERT_EQ(2u, state_.m_mapPending.size());
    EXPECT_EQ(3u, state_.m_mapPending[1].size);
}

TEST_F(CompareListsTest, RunsTheFileBarOverEachSectionAndEndsAtOneHundred) {
    WriteServerList("[One]\r\na=|1|\r\nb=|1|\r\nc=|1|\r\n[Two]\r\nd=|1|\r\ne=|1|\r\nf=|1|\r\ng=|1|\r\nh=|1|\r\n");
    EXPECT_EQ(8u, discovery::CompareLists(state_));
    std::vector<BarEvent> expected{{kFileProgressBar, true, 3}, {kFileProgressBar, false, 0}};
    for (int i = 1; i <= 3; ++i) expected.push_back({kFileProgressBar, false, i});
    expected.push_back({kFileProgressBar, true, 5});
    expected.push_back({kFileProgressBar, false, 0});
    for (int i = 1; i <= 5; ++i) expected.push_back({kFileProgressBar, false, i});
    expected.push_back({kFileProgressBar, true, 100});
    expected.push_back({kFileProgressBar, false, 100});
    EXPECT_EQ(expected, report_.BarEvents(kFileProgressBar));
    EXPECT_EQ(100, report_.BarUpper(kFileProgressBar));
}

TEST_F(CompareListsTest, MissingServerListGivesNothingToFetch) {
    EXPECT_EQ(0u, discovery::CompareLists(state_));
    EXPECT_TRUE(state_.m_mapPending.empty());
    EXPECT_TRUE(discovery::FileExistsInInstallFolder(state_, "") == false);
    WriteLocalList("[x]\r\n");
    EXPECT_TRUE(discovery::FileExistsInInstallFolder(state_, "Arkenfel_List.ini"));
}

}  // namespace
