// The self-update restriction and the list of files the running-file check
// is asked about.
#include <gtest/gtest.h>

#include "discovery/download_stage.h"

namespace {

release::ListEntry Pending(int32_t index, const std::string& localPath, uint32_t size) {
    release::ListEntry entry;
    entry.index = index;
    entry.localPath = localPath;
    entry.remoteName = localPath;
    entry.size = size;
    return entry;
}

class SelfUpdateTest : public ::testing::Test {
protected:
    SelfUpdateTest() {
        state_.m_strInstallFolder = "C:\\ARKENFEL\\";
        state_.m_strSelfFileName = "Arkenfel_Update.exe";
    }
    void Add(const std::string& localPath, uint32_t size) {
        const int32_t index = static_cast<int32_t>(state_.m_mapPending.size());
        state_.m_mapPending[index] = Pending(index, localPath, size);
        state_.m_bytes.Start(state_.m_bytes.Total() + size);
        state_.m_nFileCount++;
    }
    discovery::UpdateState state_;
};

TEST_F(SelfUpdateTest, SkinFileAmongTenOthersIsFetchedAlone) {
    for (int i = 0; i < 5; ++i) Add("data\\file" + std::to_string(i) + ".pak", 100);
    Add("STYLES\\vantero.CJSTYLES", 7);
    for (int i = 5; i < 10; ++i) Add("data\\file" + std::to_string(i) + ".pak", 100);
    discovery::RestrictToSelfFiles(state_);
    EXPECT_TRUE(state_.m_bSelfUpdate);
    EXPECT_EQ(1u, state_.m_nFileCount);
    EXPECT_EQ(7u, state_.m_bytes.Total());
    EXPECT_EQ(7u, state_.m_bytes.Remaining());
    ASSERT_EQ(1u, state_.m_mapPending.size());
    EXPECT_EQ(5, state_.m_mapPending.begin()->first);
    EXPECT_EQ("STYLES\\vantero.CJSTYLES", state_.m_mapPending.begin()->second.localPath);
}

TEST_F(SelfUpdateTest, OwnExecutableCountsOnlyAtTheTopOfTheInstallFolder) {
    Add("bin\\Arkenfel_Update.exe", 10);
    Add("arkenfel_update.EXE", 0);
    Add("styles\\Vantero.cjstyles", 5);
    Add("other.dll", 3);
    discovery::RestrictToSelfFiles(state_);
    EXPECT_TRUE(state_.m_bSelfUpdate);
    EXPECT_EQ(2u, state_.m_nFileCount);
    EXPECT_EQ(5u, state_.m_bytes.Total());  // a size of 0 adds nothing here
    EXPECT_EQ((std::vector<int32_t>{1, 2}),
              (std::vector<int32_t>{state_.m_mapPending.begin()->first, state_.m_mapPending.rbegin()->first}));
}

TEST_F(SelfUpdateTest, WithoutOwnFilesOnlyTheFlagAndRemainingBytesAreReset) {
    state_.m_bSelfUpdate = TRUE;
    Add("a.dll", 3);
    Add("b.dll", 4);
    state_.m_bytes.Received(6, 0);  // the window has counted 6 of the 7 bytes down
    discovery::RestrictToSelfFiles(state_);
    EXPECT_FALSE(state_.m_bSelfUpdate);
    EXPECT_EQ(2u, state_.m_mapPending.size());
    EXPECT_EQ(2u, state_.m_nFileCount);
    EXPECT_EQ(7u, state_.m_bytes.Remaining());
}

TEST_F(SelfUpdateTest, RunningFileCheckAsksAboutFullPathsExceptTheUpdater) {
    Add("bin\\a.dll", 1);
    Add("ARKENFEL_UPDATE.EXE", 1);
    release::ListEntry system = Pending(2, "C:\\windows\\system32\\x.ocx", 1);
    system.isSystemPath = true;
    state_.m_mapPending[2] = system;
    EXPECT_EQ((base::StringList{"C:\\ARKENFEL\\bin\\a.dll", "C:\\windows\\system32\\x.ocx"}),
              discovery::PendingFilePaths(state_));
}

}  // namespace
