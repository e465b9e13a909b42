#include "base/local_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/test_env.h"

namespace {

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(CreateDirectories, CreatesEveryMissingLevelAndToleratesBlanksAndExistingFolders) {
    testenv::ScratchDir scratch("create_dirs");
    const std::string deep = scratch / "a\\b\\c";
    EXPECT_NE(base::CreateDirectories(deep), 0);
    EXPECT_TRUE(IsFolder(scratch / "a"));
    EXPECT_TRUE(IsFolder(deep));

    EXPECT_NE(base::CreateDirectories("  " + scratch / "x\\y\\  "), 0);
    EXPECT_TRUE(IsFolder(scratch / "x\\y"));

    EXPECT_NE(base::CreateDirectories(deep + "\\"), 0);
}

TEST(CreateDirectories, KoreanFolderNames) {
    testenv::ScratchDir scratch("create_dirs_ko");
    const std::string folder = scratch / "표\\하위";
    EXPECT_NE(base::CreateDirectories(folder), 0);
    EXPECT_TRUE(IsFolder(folder));
}

TEST(CreateDirectories, FailsWhereAFileBlocksThePathOrThePathIsRootedWithoutDrive) {
    testenv::ScratchDir scratch("create_dirs_fail");
    testenv::WriteFileBytes(scratch / "file", "x");
    EXPECT_EQ(base::CreateDirectories(scratch / "file\\sub"), 0);
    EXPECT_EQ(base::CreateDirectories("\\rooted_without_drive_zz\\a"), 0);
    EXPECT_FALSE(IsFolder("C:\\rooted_without_drive_zz"));
}

}  // namespace
