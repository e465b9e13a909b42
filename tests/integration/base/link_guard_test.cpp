// Writes into a folder someone else prepared: links planted in it must never
// carry a write, a copy, a move or a deletion to the files they lead to.
#include "base/link_guard.h"

#include <gtest/gtest.h>

#include "base/local_files.h"
#include "tests/support/test_env.h"
#include "tests/support/unix_link.h"

namespace {

class PlantedLinks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(::CreateDirectoryA(home_.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA(outside_.c_str(), nullptr));
        for (const char* name : {"victim.txt", "hard.txt", "target.txt"})
            testenv::WriteFileBytes(outside_ + name, std::string("outside ") + name);
        // What a standard user can leave in the folder before the first run.
        ASSERT_TRUE(testenv::MakeUnixLink(outside_, home_ + "data"));
        ASSERT_TRUE(testenv::MakeUnixLink(outside_ + "target.txt", home_ + "linked.txt"));
        ASSERT_TRUE(::CreateHardLinkA((home_ + "hard.txt").c_str(), (outside_ + "hard.txt").c_str(), nullptr));
        testenv::WriteFileBytes(source_, "the release's bytes");
    }
    void TearDown() override {
        // Left as links when a test fails midway; the scratch folder goes next.
        for (const char* link : {"data", "linked.txt", "late.txt"}) testenv::RemoveUnixLink(home_ + link);
    }
    void ExpectOutsideUntouched() {
        for (const char* name : {"victim.txt", "hard.txt", "target.txt"})
            EXPECT_EQ(std::string("outside ") + name, testenv::ReadFileBytes(outside_ + name)) << name;
        for (const char* name : {"b.bin", "sub", "copy.bin", "moved.bin", "b.bin.$cp$"})
            EXPECT_FALSE(testenv::FileExists(outside_ + name)) << name;
    }

    testenv::ScratchDir scratch_{"link_guard"};
    const std::string home_ = scratch_ / "home\\";
    const std::string outside_ = scratch_ / "outside\\";
    const std::string source_ = scratch_ / "source.bin";
};

TEST_F(PlantedLinks, NothingIsWrittenThroughAFolderLinkAndFileLinksAreReplacedAsNames) {
    // Through the linked folder: every writer refuses, naming the link.
    EXPECT_EQ(0, base::WriteStringToFile(home_ + "data\\b.bin", "x"));
    EXPECT_EQ(base::kLinkOnTheWay, ::GetLastError());
    std::string failed;
    EXPECT_FALSE(base::MakeFolders(home_ + "data\\sub", &failed));
    EXPECT_EQ(home_ + "data", failed);
    EXPECT_EQ(0, base::CopyFileWithRetry(source_, home_ + "data\\copy.bin"));
    EXPECT_FALSE(base::MoveName(source_, home_ + "data\\moved.bin", MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(base::DeleteName(home_ + "data\\victim.txt"));
    EXPECT_FALSE(base::OpenForWriting(home_ + "data\\b.bin", GENERIC_WRITE, 0, OPEN_ALWAYS));

    // A file link and a further hard link: the name gets a file of its own.
    EXPECT_EQ(1, base::WriteStringToFile(home_ + "linked.txt", "new"));
    EXPECT_EQ("new", testenv::ReadFileBytes(home_ + "linked.txt"));
    EXPECT_EQ(1, base::CopyFileWithRetry(source_, home_ + "hard.txt"));
    EXPECT_EQ("the release's bytes", testenv::ReadFileBytes(home_ + "hard.txt"));
    ExpectOutsideUntouched();

    // A file of its own is written as usual, in place (a resumed download
    // keeps its bytes), and folders without links are made as usual.
    testenv::WriteFileBytes(home_ + "partial.bin", "12345");
    base::UniqueFile partial = base::OpenForWriting(home_ + "partial.bin", GENERIC_WRITE, 0, OPEN_ALWAYS);
    ASSERT_TRUE(partial);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), ::GetLastError());
    partial.reset();
    EXPECT_EQ("12345", testenv::ReadFileBytes(home_ + "partial.bin"));
    EXPECT_TRUE(base::MakeFolders(home_ + "표\\하위"));
    {
        // While held, a folder on the way cannot be renamed away (and a link
        // put in its place).
        const base::FoldersOnTheWay held(home_ + "표\\하위", base::FoldersOnTheWay::Make::kNone);
        ASSERT_TRUE(held.ok());
        EXPECT_FALSE(::MoveFileA((home_ + "표").c_str(), (scratch_ / "moved").c_str()));
    }
    EXPECT_EQ(1, base::WriteStringToFile(home_ + "표\\하위\\파일.txt", "ok"));
    EXPECT_TRUE(base::DeleteName(home_ + "표\\하위\\파일.txt"));
}

// Creating over a file link empties a new file of the name's own: the file it
// led to keeps its bytes.
TEST_F(PlantedLinks, CreatingOverAFileLinkNeverEmptiesTheFileItLedTo) {
    ASSERT_TRUE(testenv::MakeUnixLink(outside_ + "victim.txt", home_ + "late.txt"));
    base::UniqueFile file = base::OpenForWriting(home_ + "late.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_TRUE(file);
    file.reset();
    EXPECT_EQ("", testenv::ReadFileBytes(home_ + "late.txt"));
    ExpectOutsideUntouched();
}

}  // namespace
