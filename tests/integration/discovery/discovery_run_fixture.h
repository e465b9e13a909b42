// The bench of the whole-discovery tests: a site on the test server, an
// install folder, a report that records what the run tells (boxes too),
// and releases published there as lists by hand or signed with the test
// keys (tests/fixtures/integrity) through the release tool's code.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "discovery/download_updates.h"
#include "tests/server/update_server_client.h"
#include "tests/support/test_env.h"
#include "tests/support/recording_report.h"

namespace discoverytest {

using Files = std::vector<std::pair<std::string, std::string>>;  // remote name -> content

// `size` bytes that differ from file to file.
std::string Content(const std::string& name, size_t size);
// The list value "version|size|fingerprint|" of some content.
std::string ListValue(const std::string& content, const std::string& version = "");

class DownloadUpdatesTest : public ::testing::Test {
protected:
    DownloadUpdatesTest();
    // Puts a release below folder `version` with the files listed under one
    // section in the given order.
    void PutRelease(const std::string& version, const Files& files);
    int Run(const std::string& key = "") { return discovery::DownloadUpdates(state_, site_.BaseUrl(), key); }
    // Files requested, in the order of their first request.
    std::vector<std::string> RequestedFiles() const;
    std::string Status() const;
    // Names in the install folder that end in "_" (staged files and copies).
    std::vector<std::string> StagedNames() const;
    // A staged file's bytes once the run has let go of it, as its process
    // would at its end: a file admitted while it was written is held without
    // sharing until then.
    std::string StagedBytes(const std::string& name);
    // The files requested, the first `steering` in their order and the rest
    // (fetched several at once) sorted.
    std::vector<std::string> RequestedFilesSorted(size_t steering) const;

    testserver::TestSite site_{"discovery"};
    testenv::ScratchDir install_{"discovery_install"};
    testenv::RecordingReport report_;
    discovery::UpdateState state_;
};

// With a release key: the test key compiled in, the stored serial at 0.
class SignedReleaseTest : public DownloadUpdatesTest {
protected:
    SignedReleaseTest();
    ~SignedReleaseTest() override;
    static std::string KeyPath(const std::string& name);
    static void ForgetTrust();
    // Gateway naming "v", the release below it, and its signature.
    void PublishSigned(const Files& files, uint32_t serial, const std::string& signedFolder = "v",
                       const std::string& key = "test_release_key.pem", const std::set<std::string>& channels = {});

    const Files files_{{"a.dat", Content("a", 3000)}, {"b.dat", Content("b", 40)}};
};

}  // namespace discoverytest
