// The local file routines on real files in the Wine prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "base/unique_handle.h"
#include "tests/support/test_env.h"
#include "base/local_files.h"

namespace {

using testenv::ReadFileBytes;
using testenv::WriteFileBytes;

base::UniqueFile HoldExclusively(const std::string& path) {
    return base::UniqueFile(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool OnlyFilesAre(const std::string& folder, std::initializer_list<std::string> names) {
    size_t count = 0;
    WIN32_FIND_DATAA data;
    base::UniqueFind find(::FindFirstFileA((folder + "*").c_str(), &data));
    if (!find) return names.size() == 0;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (std::find(names.begin(), names.end(), name) == names.end()) return false;
        ++count;
    } while (::FindNextFileA(find.get(), &data));
    return count == names.size();
}

TEST(ReadAndWriteWholeFiles, KeepEveryByteAndReportMissingFiles) {
    testenv::ScratchDir dir("whole_files");
    const std::string bytes("a\0b\r\n\xB0\xD4", 7);
    EXPECT_EQ(1, base::WriteStringToFile(dir / "f.bin", bytes));
    std::string read;
    EXPECT_EQ(1, base::ReadFileToString(dir / "f.bin", read));
    EXPECT_EQ(bytes, read);

    EXPECT_EQ(1, base::WriteStringToFile(dir / "f.bin", ""));
    EXPECT_EQ(1, base::ReadFileToString(dir / "f.bin", read));
    EXPECT_EQ("", read);

    read = "kept";
    EXPECT_EQ(0, base::ReadFileToString(dir / "missing", read));
    EXPECT_EQ("kept", read);
    EXPECT_EQ(0, base::WriteStringToFile(dir / "no\\such\\folder", "x"));
}

// A list the server made as large as a 32-bit process can address (say a
// setup.bat of 2 GB) is a failed read, not a crash.
TEST(ReadAndWriteWholeFiles, AFileLargerThanMemoryIsAFailedRead) {
    if (sizeof(void*) > 4) GTEST_SKIP() << "a 64-bit process can hold it";
    testenv::ScratchDir dir("huge_file");
    {
        base::UniqueFile file(::CreateFileA((dir / "huge.bat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER end;
        end.QuadPart = 0x7FFF0000;
        ASSERT_TRUE(::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.get()));
    }
    std::string read = "kept";
    EXPECT_EQ(0, base::ReadFileToString(dir / "huge.bat", read));
    EXPECT_EQ("kept", read);
}

TEST(ReadLines, SplitsOnlyAtCrLfAndDropsBlankLines) {
    testenv::ScratchDir dir("read_lines");
    WriteFileBytes(dir / "crlf.txt", "  one \r\n\r\n two\t\r\nthree");
    base::StringList lines{"existing"};
    EXPECT_EQ(1, base::ReadLines(dir / "crlf.txt", lines));
    EXPECT_EQ((base::StringList{"existing", "one", "two", "three"}), lines);

    WriteFileBytes(dir / "lf.txt", "a\nb\n");
    base::StringList lf;
    EXPECT_EQ(1, base::ReadLines(dir / "lf.txt", lf));
    EXPECT_EQ((base::StringList{"a\nb"}), lf);

    WriteFileBytes(dir / "blank.txt", " \r\n\t\r\n");
    base::StringList blank{"x"};
    EXPECT_EQ(0, base::ReadLines(dir / "blank.txt", blank));
    EXPECT_EQ(1u, blank.size());
    EXPECT_EQ(0, base::ReadLines(dir / "missing.txt", blank));
}

TEST(ParseVersionValue, AlignsComponentsRightAndSignExtends) {
    EXPECT_EQ(0x0001000200030004ull, base::ParseVersionValue("1,2,3,4"));
    EXPECT_EQ(0x0001000200030004ull, base::ParseVersionValue("1.2.3.4.9"));
    EXPECT_EQ(0x10002ull, base::ParseVersionValue("1.2"));
    EXPECT_EQ(5ull, base::ParseVersionValue("5"));
    EXPECT_EQ(0ull, base::ParseVersionValue(""));
    EXPECT_EQ(0x0001000100000000ull, base::ParseVersionValue("1.0.65536.0"));  // runs into the component before
    EXPECT_EQ(0xFFFFFFFFFFFF0001ull, base::ParseVersionValue("-1.1"));
    EXPECT_EQ(0x10003ull, base::ParseVersionValue(" 1.3x"));
}

TEST(CopyFileWithRetry, ReplacesTheTargetAndLeavesNoTemporaryFile) {
    testenv::ScratchDir dir("copy_plain");
    WriteFileBytes(dir / "new", "new content");
    WriteFileBytes(dir / "target", "old content that is longer");
    EXPECT_NE(0, base::CopyFileWithRetry(dir / "new", dir / "target"));
    EXPECT_EQ("new content", ReadFileBytes(dir / "target"));
    EXPECT_TRUE(OnlyFilesAre(dir.path(), {"new", "target"}));

    EXPECT_NE(0, base::CopyFileWithRetry(dir / "new", dir / "fresh"));
    EXPECT_EQ("new content", ReadFileBytes(dir / "fresh"));
    EXPECT_EQ(0, base::CopyFileWithRetry(dir / "absent", dir / "other"));
    EXPECT_TRUE(OnlyFilesAre(dir.path(), {"new", "target", "fresh"}));
}

TEST(CopyFileWithRetry, WaitsForATargetThatIsReleased) {
    testenv::ScratchDir dir("copy_released");
    WriteFileBytes(dir / "new", "new");
    WriteFileBytes(dir / "target", "old");
    base::UniqueFile held = HoldExclusively(dir / "target");
    ASSERT_TRUE(held);
    std::thread release([&held] {
        ::Sleep(1000);
        held.reset();
    });
    const DWORD start = ::GetTickCount();
    const int result = base::CopyFileWithRetry(dir / "new", dir / "target");
    release.join();
    EXPECT_NE(0, result);
    EXPECT_GE(::GetTickCount() - start, 900u);
    EXPECT_EQ("new", ReadFileBytes(dir / "target"));
    EXPECT_TRUE(OnlyFilesAre(dir.path(), {"new", "target"}));
}

TEST(CopyFileWithRetry, GivesUpAfterFifteenAttemptsAndKeepsTheTarget) {
    testenv::ScratchDir dir("copy_locked");
    WriteFileBytes(dir / "new", "new");
    WriteFileBytes(dir / "target", "old");
    base::UniqueFile held = HoldExclusively(dir / "target");
    ASSERT_TRUE(held);
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(0, base::CopyFileWithRetry(dir / "new", dir / "target"));
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_GE(elapsed, 14 * 300u - 100);  // fourteen waits between fifteen attempts
    EXPECT_LT(elapsed, 8000u);
    held.reset();
    EXPECT_EQ("old", ReadFileBytes(dir / "target"));
    EXPECT_TRUE(OnlyFilesAre(dir.path(), {"new", "target"}));
}

}  // namespace
