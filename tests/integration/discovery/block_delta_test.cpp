// Changed files fetched by their blocks, end to end between the release
// tool (in-process) and discovery against the test server: which requests
// are made, what the window is told, what lands on disk, and how a broken-off
// assembly, a result that does not verify and a tampered index are handled.
#include <gtest/gtest.h>

#include <numeric>

#include "base/machine_settings.h"
#include "delta/assembly_plan.h"
#include "release/block_index.h"
#include "delta/block_matcher.h"
#include "discovery/download_updates.h"
#include "integrity/root_keys.h"
#include "tests/server/update_server_client.h"
#include "tests/support/test_env.h"
#include "tests/support/recording_report.h"
#include "tools/release_list/publish_release.h"

namespace {

using testserver::Fault;
constexpr uint32_t kBlock = 4096;
const char kArchive[] = "data/world.pak";

using testenv::Noise;

class BlockDeltaTest : public ::testing::Test {
protected:
    BlockDeltaTest() {
        state_.m_strInstallFolder = install_.path();
        state_.m_strSelfFileName = "Arkenfel_Update.exe";
        state_.report = &report_;
        // Bytes inserted near the start shift every later block; an overwrite
        // of three blocks and a removal further on.
        newArchive_ = oldArchive_;
        newArchive_.insert(10000, Noise(300, 2));
        newArchive_.replace(200000, 3 * kBlock, Noise(3 * kBlock, 3));
        newArchive_.erase(300000, 5000);
        ::CreateDirectoryA((install_ / "data").c_str(), nullptr);
        testenv::WriteFileBytes(install_ / "data\\world.pak", oldArchive_);
    }
    ~BlockDeltaTest() override { base::WriteReleaseSerial(0); }

    // Release "v" with the archive, a small file and an archive-sized file
    // that is new to the install; indexes from 64 KiB on when asked.
    void Publish(bool indexes, const std::string& signingKey = "") {
        site_.PutFile(std::string("v/") + kArchive, newArchive_);
        site_.PutFile("v/small.dat", Noise(3000, 5));
        site_.PutFile("v/data/new.pak", Noise(100000, 6));
        release_list::ReleaseOptions options;
        options.releaseFolder = site_.ServedPath("v");
        options.gatewayRoot = site_.ServedPath("");
        options.gatewayKeys.push_back("");
        options.indexThreshold = indexes ? 64 * 1024 : 0;
        options.blockSize = kBlock;
        options.signingKey = signingKey;
        if (!signingKey.empty()) options.serial = 700;
        release_list::PublishRelease(options);
    }
    int Run() { return discovery::DownloadUpdates(state_, site_.BaseUrl(), ""); }
    static std::string KeyPath(const std::string& name) {
        return testenv::BinaryDir() + "fixtures\\integrity\\" + name;
    }
    // What the client should fetch of the archive, by the same search.
    delta::AssemblyPlan ExpectedPlan() {
        testenv::WriteFileBytes(scratch_ / "new", newArchive_);
        release::BlockIndex index;
        delta::BlockMatch match;
        EXPECT_TRUE(release::BuildIndex(scratch_ / "new", kBlock, index));
        EXPECT_TRUE(delta::MatchBlocks(index, install_ / "data\\world.pak", match));
        return delta::PlanAssembly(index, match);
    }
    std::vector<std::string> Kinds(const std::string& file) const {
        std::vector<std::string> kinds;
        for (const auto& request : site_.Requests())
            if (request.file == file) kinds.push_back(request.kind + " " + request.range);
        return kinds;
    }
    uint64_t RangeBytes(const std::string& file) const {
        uint64_t bytes = 0;
        for (const auto& request : site_.Requests(file, "range")) bytes += request.bytes;
        return bytes;
    }
    // Read once the run has let go of it (a file admitted as it was written
    // is held without sharing until then).
    std::string Staged() {
        state_.m_trust.LetGoOfStaged();
        return testenv::ReadFileBytes(install_ / "data\\world.pak_");
    }

    std::string oldArchive_ = Noise(400000, 1);
    std::string newArchive_;
    testserver::TestSite site_{"block_delta"};
    testenv::ScratchDir install_{"block_delta_install"};
    testenv::ScratchDir scratch_{"block_delta_scratch"};
    testenv::RecordingReport report_;
    discovery::UpdateState state_;
};

TEST_F(BlockDeltaTest, ChangedArchiveCostsItsChangedBlocksAndTheWindowCountsOnlyFetchedBytes) {
    Publish(true);
    const delta::AssemblyPlan plan = ExpectedPlan();
    ASSERT_EQ(discovery::kFetched, Run());

    EXPECT_EQ(newArchive_, Staged());
    EXPECT_EQ(Noise(100000, 6), testenv::ReadFileBytes(install_ / "data\\new.pak_"));
    EXPECT_FALSE(testenv::FileExists(install_ / "data\\world.$ver$"));
    EXPECT_FALSE(testenv::FileExists(install_ / "data\\world.pak.blkidx_"));
    // The index with one plain GET, then only ranges: no size query.
    const auto archive = Kinds("v/data/world.pak");
    ASSERT_FALSE(archive.empty());
    for (const auto& kind : archive) EXPECT_EQ(0u, kind.find("range bytes=")) << kind;
    EXPECT_EQ(plan.ranges, archive.size());
    EXPECT_EQ(plan.fetchBytes, RangeBytes("v/data/world.pak"));
    EXPECT_LE(plan.fetchBytes, 7u * kBlock);
    const uint64_t indexSize = site_.Requests("v/data/world.pak.blkidx", "whole").at(0).bytes;
    // A new file and a file without an index: today's requests, no index asked for.
    EXPECT_EQ((std::vector<std::string>{"whole ", "range bytes=0-99999"}), Kinds("v/data/new.pak"));
    EXPECT_TRUE(Kinds("v/data/new.pak.blkidx").empty());
    EXPECT_EQ((std::vector<std::string>{"whole ", "range bytes=0-2999"}), Kinds("v/small.dat"));

    // Totals and rate count the index and the ranges; reused bytes only move the file bar.
    EXPECT_EQ(3000u + 100000u + indexSize + plan.fetchBytes, state_.m_bytes.Total());
    uint64_t counted = 0, lastDone = 0;
    for (const auto& report : report_.reports) {
        counted += report.lastChunk;
        if (report.total == newArchive_.size()) lastDone = report.done;
    }
    EXPECT_EQ(3000u + 100000u + plan.fetchBytes, counted);
    EXPECT_EQ(newArchive_.size(), lastDone);
    EXPECT_EQ(0u, report_.boxes.size());
}

TEST_F(BlockDeltaTest, WithoutIndexesTheRequestsAreTodays) {
    Publish(false);
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ(newArchive_, Staged());
    EXPECT_EQ((std::vector<std::string>{"whole ", "range bytes=0-" + std::to_string(newArchive_.size() - 1)}),
              Kinds("v/data/world.pak"));
    EXPECT_TRUE(Kinds("v/data/world.pak.blkidx").empty());
    EXPECT_EQ(std::string::npos, testenv::ReadFileBytes(site_.ServedPath("v/Arkenfel_List.ini")).find(".blkidx"));
}

TEST_F(BlockDeltaTest, BrokenOffAssemblyContinuesNextRunWithoutFetchingAnythingTwice) {
    Publish(true);
    const delta::AssemblyPlan plan = ExpectedPlan();
    ASSERT_GE(plan.ranges, 2u);
    // The second range breaks off after 1000 bytes on every attempt.
    site_.SetFaults({Fault{std::string("v/") + kArchive, "range", {2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, "drop", 1000}});
    EXPECT_EQ(discovery::kFailed, Run());
    EXPECT_EQ(1u, report_.boxes.size());
    const uint64_t firstRun = RangeBytes("v/data/world.pak");
    const uint64_t left = testenv::ReadFileBytes(install_ / "data\\world.pak_").size();
    // The marker names the version and that it is an assembly, not a whole download.
    const std::string marker = testenv::ReadFileBytes(install_ / "data\\world.$ver$");
    EXPECT_EQ(16u + 7u, marker.size());
    EXPECT_EQ("|blocks", marker.substr(16));
    EXPECT_EQ(11u, site_.Requests("v/data/world.pak", "range").size());

    site_.SetFaults({});
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ(newArchive_, Staged());
    const auto resumed = site_.Requests("v/data/world.pak", "range");
    ASSERT_FALSE(resumed.empty());
    EXPECT_EQ("bytes=" + std::to_string(left) + "-", resumed[0].range.substr(0, 7 + std::to_string(left).size()));
    EXPECT_EQ(plan.fetchBytes, firstRun + RangeBytes("v/data/world.pak"));
}

// Every range answered as a far larger whole file: no byte of the answers
// is written, the staged file holds only the new file's own bytes up to the
// range that failed, and the next run finishes it.
TEST_F(BlockDeltaTest, RangesAnsweredLongerThanAskedWriteNothingOfTheAnswer) {
    Publish(true);
    site_.SetFaults({Fault{std::string("v/") + kArchive, "range", {}, "length", 70000,
                           std::to_string(10 * newArchive_.size())}});
    EXPECT_EQ(discovery::kFailed, Run());
    const std::string staged = Staged();
    EXPECT_LT(staged.size(), newArchive_.size());
    EXPECT_EQ(newArchive_.substr(0, staged.size()), staged);

    site_.SetFaults({});
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ(newArchive_, Staged());
}

TEST_F(BlockDeltaTest, AResultThatDoesNotVerifyIsFetchedWhole) {
    Publish(true);
    // A mirror serves the changed blocks with other bytes than its list and
    // index describe (where the fingerprint looks: a block's first bytes).
    std::string served = newArchive_;
    served[196 * 1024] ^= 0x77;
    site_.PutFile(std::string("v/") + kArchive, served);
    ASSERT_EQ(discovery::kFetched, Run());
    const auto kinds = Kinds("v/data/world.pak");
    ASSERT_GE(kinds.size(), 3u);
    EXPECT_EQ("whole ", kinds[kinds.size() - 2]);
    EXPECT_EQ("range bytes=0-" + std::to_string(served.size() - 1), kinds.back());
    EXPECT_EQ(served, Staged());  // what the server has, as without indexes
}

TEST_F(BlockDeltaTest, SignedReleaseCoversTheIndexAndATamperedIndexIsNotUsed) {
    integrity::RootSetFromKeyFiles({testenv::ReadFileBytes(KeyPath("test_release_key.pub.pem"))}, 1, 1,
                                   state_.m_builtInRoots);
    base::WriteReleaseSerial(0);
    Publish(true, KeyPath("test_release_key.pem"));
    const std::string signature = testenv::ReadFileBytes(site_.ServedPath("v/Arkenfel_Release.sig"));
    EXPECT_NE(std::string::npos, signature.find(" data/world.pak.blkidx\r\n"));
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ(newArchive_, Staged());
    EXPECT_EQ(0u, Kinds("v/data/world.pak")[0].find("range "));

    // Same release, an index changed on the server: the whole file instead.
    // (The update run lets go of the checked staged file once it is copied.)
    state_.m_trust.LetGoOfStaged();
    ASSERT_TRUE(::DeleteFileA((install_ / "data\\world.pak_").c_str()));
    std::string index = testenv::ReadFileBytes(site_.ServedPath("v/data/world.pak.blkidx"));
    index[40] ^= 1;
    site_.PutFile("v/data/world.pak.blkidx", index);
    site_.SetFaults({});
    ASSERT_EQ(discovery::kFetched, Run());
    EXPECT_EQ(newArchive_, Staged());
    // No size query: the signature gave the size.
    EXPECT_EQ((std::vector<std::string>{"range bytes=0-" + std::to_string(newArchive_.size() - 1)}),
              Kinds("v/data/world.pak"));
    EXPECT_EQ(0u, report_.boxes.size());
}

}  // namespace
