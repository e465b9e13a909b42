#include "tests/integration/discovery/discovery_run_fixture.h"

#include <windows.h>

#include <algorithm>

#include "base/unique_handle.h"
#include "base/machine_settings.h"
#include "base/window_protocol.h"
#include "release/file_identity.h"
#include "integrity/root_keys.h"
#include "tools/release_list/release_signing.h"

namespace discoverytest {

std::string Content(const std::string& name, size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(name[i % name.size()] + i / 7);
    return bytes;
}

std::string ListValue(const std::string& content, const std::string& version) {
    testenv::ScratchDir dir("discovery_value");
    testenv::WriteFileBytes(dir / "f", content);
    char fingerprint[17] = {};
    release::ComputeFingerprint(dir / "f", fingerprint);
    return version + "|" + std::to_string(content.size()) + "|" + fingerprint + "|";
}

DownloadUpdatesTest::DownloadUpdatesTest() {
    state_.m_strInstallFolder = install_.path();
    state_.m_strSelfFileName = "Arkenfel_Update.exe";
    state_.report = &report_;
}

void DownloadUpdatesTest::PutRelease(const std::string& version, const Files& files) {
    std::string list = "[Client]\r\n";
    for (const auto& file : files) {
        list += file.first + "=" + ListValue(file.second) + "\r\n";
        site_.PutFile(version + "/" + file.first, file.second);
    }
    site_.PutFile(version + "/Arkenfel_List.ini", list);
}

std::vector<std::string> DownloadUpdatesTest::RequestedFiles() const {
    std::vector<std::string> files;
    for (const auto& request : site_.Requests())
        if (std::find(files.begin(), files.end(), request.file) == files.end()) files.push_back(request.file);
    return files;
}

std::string DownloadUpdatesTest::Status() const { return report_.Text(kStatusLabel); }

std::string DownloadUpdatesTest::StagedBytes(const std::string& name) {
    state_.m_trust.LetGoOfStaged();
    return testenv::ReadFileBytes(install_ / name);
}

std::vector<std::string> DownloadUpdatesTest::RequestedFilesSorted(size_t steering) const {
    std::vector<std::string> files = RequestedFiles();
    if (files.size() > steering) std::sort(files.begin() + static_cast<std::ptrdiff_t>(steering), files.end());
    return files;
}

std::vector<std::string> DownloadUpdatesTest::StagedNames() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    base::UniqueFind find(::FindFirstFileA((install_ / "*_").c_str(), &data));
    if (find.valid()) do names.push_back(data.cFileName);
        while (::FindNextFileA(find.get(), &data));
    return names;
}

SignedReleaseTest::SignedReleaseTest() {
    integrity::RootSetFromKeyFiles({testenv::ReadFileBytes(KeyPath("test_release_key.pub.pem"))}, 1, 1,
                                   state_.m_builtInRoots);
    ForgetTrust();
}

SignedReleaseTest::~SignedReleaseTest() { ForgetTrust(); }

// A machine that has accepted no signed release yet.
void SignedReleaseTest::ForgetTrust() {
    base::WriteReleaseSerial(0);
    base::WriteReleaseKeySerial(0);
    base::WriteRootPin({});
    base::WriteInstalledRelease(nullptr);
}

std::string SignedReleaseTest::KeyPath(const std::string& name) {
    return testenv::BinaryDir() + "fixtures\\integrity\\" + name;
}

void SignedReleaseTest::PublishSigned(const Files& files, uint32_t serial, const std::string& signedFolder,
                                      const std::string& key, const std::set<std::string>& channels) {
    site_.PutFile("gateway.ini", "v\r\n");
    PutRelease("v", files);
    integrity::ReleaseManifest manifest;
    manifest.folder = signedFolder;
    manifest.channels = channels;
    for (const auto& file : files) {
        manifest.files[file.first].size = static_cast<uint32_t>(file.second.size());
        crypto::HashBytes(file.second, manifest.files[file.first].sha256);
    }
    const std::string list = testenv::ReadFileBytes(site_.ServedPath("v/Arkenfel_List.ini"));
    site_.PutFile("v/Arkenfel_Release.sig",
                  release_list::SignRelease(release_list::SigningKey(KeyPath(key)), manifest, list, false, serial, "")
                      .text);
}

}  // namespace discoverytest
