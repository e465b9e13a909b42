// Releases the list cannot describe are refused with a message naming the
// problem, and nothing is written: an existing list and gateway stay as
// they were.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/unique_handle.h"
#include "tests/integration/release_list/release_fixture.h"
#include "tools/release_list/release_error.h"

namespace {

using release_test::PublishError;
using release_test::ReleaseFolder;

const char kOldList[] = "[FILES]\r\nold.dat=|3|0123456789abcdef|\r\n";

// A release with a list from an earlier run in place.
struct PublishedBefore : ReleaseFolder {
    explicit PublishedBefore(const std::string& name) : ReleaseFolder(name) {
        testenv::WriteFileBytes(ListPath(), kOldList);
    }
    void ExpectListUntouched() const {
        EXPECT_EQ(kOldList, testenv::ReadFileBytes(ListPath()));
        EXPECT_FALSE(testenv::FileExists(ListPath() + ".partial"));
    }
};

TEST(Refusals, EmptyFilesAreNamedAndNoListIsWritten) {
    PublishedBefore folder("release_list_empty");
    folder.Write("data\\empty.bin", "");
    folder.Write("zero.txt", "");
    const std::string error = PublishError(release_test::OptionsFor(folder));
    EXPECT_NE(std::string::npos, error.find("\"data/empty.bin\" is empty")) << error;
    EXPECT_NE(std::string::npos, error.find("\"zero.txt\" is empty")) << error;
    folder.ExpectListUntouched();
}

TEST(Refusals, NamesTheListCannotCarry) {
    PublishedBefore folder("release_list_names");
    release_list::ReleaseOptions options = release_test::OptionsFor(folder);
    options.localPaths.push_back({"readme.txt", "docs|readme.txt"});
    std::string error = PublishError(options);
    EXPECT_NE(std::string::npos, error.find("contains '|'")) << error;

    // Wine keeps "|" of a Linux file name as U+F07C; the message names "|".
    const std::string release = folder.Release();  // ASCII
    const std::wstring wide = std::wstring(release.begin(), release.end()) + L"\\bad\xF07Cname.txt";
    {
        base::UniqueFile file(::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(file.valid());
        DWORD written = 0;
        ::WriteFile(file.get(), "x", 1, &written, nullptr);
    }
    error = PublishError(release_test::OptionsFor(folder));
    EXPECT_NE(std::string::npos, error.find("\"bad|name.txt\" contains '|'")) << error;
    ASSERT_TRUE(::DeleteFileW(wide.c_str()));

    // Korean (or any non-ASCII) names cannot travel in the server address.
    folder.Write("\xB0\xD4\xC0\xD3.dat", "game");
    error = PublishError(release_test::OptionsFor(folder));
    EXPECT_NE(std::string::npos, error.find("\xB0\xD4\xC0\xD3.dat\" is not plain ASCII")) << error;
    ::DeleteFileA(folder.Path("\xB0\xD4\xC0\xD3.dat").c_str());

    folder.Write("data\\..odd", "x");
    folder.Write("has space.txt", "x");
    error = PublishError(release_test::OptionsFor(folder));
    EXPECT_NE(std::string::npos, error.find("\"data/..odd\" has a path segment that starts with '.'")) << error;
    EXPECT_NE(std::string::npos, error.find("\"has space.txt\" contains ' '")) << error;
    folder.ExpectListUntouched();
}

TEST(Refusals, MissingFolderAndUnreadableFile) {
    PublishedBefore folder("release_list_unreadable");
    release_list::ReleaseOptions missing = release_test::OptionsFor(folder);
    missing.releaseFolder = folder.Release() + "\\nowhere";
    EXPECT_NE(std::string::npos, PublishError(missing).find("does not exist")) << PublishError(missing);

    // Held open without sharing by another program.
    base::UniqueFile held(::CreateFileA(folder.Path("readme.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.valid());
    const std::string error = PublishError(release_test::OptionsFor(folder));
    EXPECT_NE(std::string::npos, error.find("\"readme.txt\" cannot be read")) << error;
    folder.ExpectListUntouched();
}

TEST(Refusals, APreviousReleaseThatCannotGiveSeeds) {
    PublishedBefore folder("release_list_previous");
    release_list::ReleaseOptions options = release_test::OptionsFor(folder);
    options.previousRelease = folder.Release();
    EXPECT_NE(std::string::npos, PublishError(options).find("names the release folder itself")) << PublishError(options);
    options.previousRelease = folder.Path("data");  // a folder without a list
    ::CreateDirectoryA(options.previousRelease.c_str(), nullptr);
    EXPECT_NE(std::string::npos, PublishError(options).find("holds no Arkenfel_List.ini")) << PublishError(options);
    folder.ExpectListUntouched();
    release_list::ReleaseOptions parsed;
    EXPECT_THROW(release_list::ParseArguments({"--release", "x", "--previous", "y", "--index-threshold", "0"}, parsed),
                 release_list::ReleaseListError);
}

TEST(Refusals, RulesThatMissOrCollide) {
    PublishedBefore folder("release_list_rules");
    release_list::ReleaseOptions options = release_test::OptionsFor(folder);
    options.sections.push_back({"TOOLS", "tools/"});
    options.revisions.push_back({"*.exe", "r1"});
    std::string error = PublishError(options);
    EXPECT_NE(std::string::npos, error.find("--section TOOLS=tools/ matches no file")) << error;
    EXPECT_NE(std::string::npos, error.find("--revision *.exe=r1 matches no file")) << error;

    options = release_test::OptionsFor(folder);
    options.localPaths.push_back({"readme.txt", "data\\blob.bin"});
    error = PublishError(options);
    EXPECT_NE(std::string::npos, error.find("would both install to data\\blob.bin")) << error;

    // A file on the name another one is downloaded to before it is installed.
    folder.Write("data\\blob.bin_", "x");
    error = PublishError(release_test::OptionsFor(folder));
    EXPECT_NE(std::string::npos, error.find("\"data/blob.bin_\" would install to the name the updater stages")) << error;
    ::DeleteFileA(folder.Path("data\\blob.bin_").c_str());

    options = release_test::OptionsFor(folder);
    options.localPaths.push_back({"readme.txt", "..\\outside.txt"});
    error = PublishError(options);
    EXPECT_NE(std::string::npos, error.find("\"..\\outside.txt\" must stay below the install folder")) << error;
    folder.ExpectListUntouched();
}

TEST(Refusals, GatewayProblemsStopBeforeAnythingIsWritten) {
    PublishedBefore folder("release_list_gw_refused");
    const std::string gateway = folder.Root() + "\\gateway.ini";
    testenv::WriteFileBytes(gateway, "2025b\nbeta=2025b\n");
    release_list::ReleaseOptions options = release_test::OptionsFor(folder);
    options.gatewayRoot = folder.Root();
    std::string error = PublishError(options);
    EXPECT_NE(std::string::npos, error.find("line breaks other than CR LF")) << error;
    EXPECT_EQ("2025b\nbeta=2025b\n", testenv::ReadFileBytes(gateway));
    folder.ExpectListUntouched();

    options.gatewayRoot = folder.Release() + "\\data";
    error = PublishError(options);
    EXPECT_NE(std::string::npos, error.find("is not below the server root")) << error;

    options.gatewayRoot = folder.Root();
    options.gatewayKeys = {"Beta"};
    error = PublishError(options);
    EXPECT_NE(std::string::npos, error.find("upper-case")) << error;
    folder.ExpectListUntouched();
}

}  // namespace
