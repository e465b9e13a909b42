#include "transfer/directories.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "tests/support/test_env.h"

namespace {

bool IsFolder(const std::string& path) { return ::PathIsDirectoryA(path.c_str()) != FALSE; }

TEST(CreateDirectories, CreatesEveryMissingLevelAndToleratesBlanksAndExistingFolders) {
    testenv::ScratchDir scratch("create_dirs");
    const std::string deep = scratch / "a\\b\\c";
    EXPECT_NE(transfer::CreateDirectories(deep), 0);
    EXPECT_TRUE(IsFolder(scratch / "a"));
    EXPECT_TRUE(IsFolder(deep));

    EXPECT_NE(transfer::CreateDirectories("  " + scratch / "x\\y\\  "), 0);
    EXPECT_TRUE(IsFolder(scratch / "x\\y"));

    EXPECT_NE(transfer::CreateDirectories(deep + "\\"), 0);
}

TEST(CreateDirectories, KoreanFolderNames) {
    testenv::ScratchDir scratch("create_dirs_ko");
    const std::string folder = scratch / "표\\하위";
    EXPECT_NE(transfer::CreateDirectories(folder), 0);
    EXPECT_TRUE(IsFolder(folder));
}

TEST(CreateDirectories, FailsWhereAFileBlocksThePathOrThePathIsRootedWithoutDrive) {
    testenv::ScratchDir scratch("create_dirs_fail");
    testenv::WriteFileBytes(scratch / "file", "x");
    EXPECT_EQ(transfer::CreateDirectories(scratch / "file\\sub"), 0);
    EXPECT_EQ(transfer::CreateDirectories("\\rooted_without_drive_zz\\a"), 0);
    EXPECT_FALSE(IsFolder("C:\\rooted_without_drive_zz"));
}

}  // namespace
