#include "tests/integration/release_list/release_fixture.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "release/list_file.h"
#include "tools/release_list/publish_release.h"
#include "tools/release_list/release_error.h"

namespace release_test {

std::string Pattern(size_t size, int seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + i / 1024 * 7 + seed * 13) & 0xFF);
    return bytes;
}

ReleaseFolder::ReleaseFolder(const std::string& name) : scratch_(name) {
    ::CreateDirectoryA(Root().c_str(), nullptr);
    ::CreateDirectoryA(Release().c_str(), nullptr);
    Write("readme.txt", "Arkenfel release notes\r\n");
    Write("data\\blob.bin", Pattern(6000));
    Write("sys\\helper.dat", Pattern(300, 1));
    ::CreateDirectoryA(Path("bin").c_str(), nullptr);
    if (!::CopyFileA((testenv::BinDir() + "discovery_version_1005.dll").c_str(), Path("bin\\module.dll").c_str(), FALSE))
        ADD_FAILURE() << "version fixture missing from " << testenv::BinDir();
}

void ReleaseFolder::Write(const std::string& relative, const std::string& bytes) const {
    const std::string path = Path(relative);
    const size_t slash = path.rfind('\\');
    ::CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    testenv::WriteFileBytes(path, bytes);
}

release_list::ReleaseOptions OptionsFor(const ReleaseFolder& folder) {
    release_list::ReleaseOptions options;
    options.releaseFolder = folder.Release();
    options.gatewayKeys.push_back(std::string());
    return options;
}

std::string PublishError(const release_list::ReleaseOptions& options) {
    try {
        release_list::PublishRelease(options);
        return std::string();
    } catch (const release_list::ReleaseListError& error) {
        return error.what();
    }
}

std::vector<ReadEntry> ReadList(const std::string& path) {
    std::vector<ReadEntry> entries;
    for (const release::ListedEntry& listed : release::ReadListFile(path))
        entries.push_back({listed.section, listed.key, listed.entry});
    return entries;
}

}  // namespace release_test
