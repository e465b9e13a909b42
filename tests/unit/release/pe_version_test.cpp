// The version resource read without Windows against what Windows' own calls
// give for the same files, and cut or changed images.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "release/file_identity.h"
#include "release/pe_version.h"
#include "tests/support/test_env.h"

namespace {

std::vector<std::string> ModulesIn(const std::string& folder) {
    std::vector<std::string> paths;
    for (const char* pattern : {"*.exe", "*.dll"}) {
        WIN32_FIND_DATAA data;
        const HANDLE find = ::FindFirstFileA((folder + pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) continue;
        do paths.push_back(folder + data.cFileName);
        while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    return paths;
}

std::string SystemFolder(const char* name) {
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\" + name + "\\";
}

// The updater's and the tests' own programs, the fixtures and the system's
// libraries (32- and 64-bit): with and without a version resource.
TEST(PeVersion, AgreesWithWindowsOnEveryModuleAtHand) {
    std::vector<std::string> paths = ModulesIn(testenv::BinDir());
    for (const char* folder : {"system32", "syswow64"}) {
        const std::vector<std::string> system = ModulesIn(SystemFolder(folder));
        paths.insert(paths.end(), system.begin(), system.end());
    }
    size_t withVersion = 0, without = 0;
    for (const std::string& path : paths) {
        VS_FIXEDFILEINFO windows = {};
        const bool windowsRead = release::ReadFixedFileInfo(path, windows);
        uint32_t ms = 0, ls = 0;
        const bool read = release::ReadPeProductVersionOfFile(path, ms, ls);
        ASSERT_EQ(windowsRead, read) << path;
        if (!read) {
            ++without;
            continue;
        }
        ++withVersion;
        ASSERT_EQ(windows.dwProductVersionMS, ms) << path;
        ASSERT_EQ(windows.dwProductVersionLS, ls) << path;
        ASSERT_EQ(release::GetProductVersionText(path), release::ProductVersionText(ms, ls)) << path;
    }
    EXPECT_GT(withVersion, 20u);
    EXPECT_GT(without, 0u);
    EXPECT_EQ("1.005", release::ProductVersionText(0x00010000, 0x00000005));
    EXPECT_EQ("12.345", release::ProductVersionText(0x000C0003, 0x00040005));
}

// Every prefix of a module, and the module with any one header or resource
// byte changed, is read within its bytes: the version or false, never more.
TEST(PeVersion, CutAndChangedImagesGiveTheVersionOrNothing) {
    const std::string image = testenv::ReadFileBytes(testenv::BinDir() + "discovery_version_1005.dll");
    uint32_t ms = 0, ls = 0;
    ASSERT_TRUE(release::ReadPeProductVersion(image, ms, ls));
    ASSERT_EQ(0x00010000u, ms);
    ASSERT_EQ(0x00000005u, ls);
    size_t cutTaken = 0;
    for (size_t length = 0; length < image.size(); length += 7) {
        uint32_t cutMs = 0, cutLs = 0;
        if (!release::ReadPeProductVersion(image.substr(0, length), cutMs, cutLs)) continue;
        ++cutTaken;
        EXPECT_EQ(ms, cutMs);
        EXPECT_EQ(ls, cutLs);
    }
    EXPECT_LT(cutTaken, image.size() / 7);
    std::string changed = image;
    for (size_t offset = 0; offset < changed.size(); ++offset) {
        changed[offset] = static_cast<char>(changed[offset] ^ 0xA5);
        uint32_t changedMs = 0, changedLs = 0;
        release::ReadPeProductVersion(changed, changedMs, changedLs);
        changed[offset] = image[offset];
    }
    EXPECT_FALSE(release::ReadPeProductVersion("MZ", ms, ls));
    EXPECT_FALSE(release::ReadPeProductVersionOfFile(testenv::BinDir() + "no_such_module.dll", ms, ls));
}

}  // namespace
