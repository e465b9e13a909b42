// A repair's pieces on real files: the check of installed files against
// their signed size and SHA-256 on several threads, the damaged copy's
// blocks taken where they belong, and the room a plan needs on its drive.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/unique_handle.h"
#include "crypto/sha256.h"
#include "delta/assembly_plan.h"
#include "delta/block_matcher.h"
#include "fetch/disk_space.h"
#include "release/block_index.h"
#include "release/staging_layout.h"
#include "repair/installed_check.h"
#include "tests/support/test_env.h"

namespace {

using testenv::Noise;

integrity::SignedFile SignedOf(const std::string& bytes) {
    integrity::SignedFile file;
    file.size = static_cast<uint32_t>(bytes.size());
    EXPECT_TRUE(crypto::HashBytes(bytes, file.sha256));
    return file;
}

class Recorder : public repair::CheckListener {
public:
    void Progress(const repair::CheckProgress& progress) override {
        EXPECT_GE(progress.allDone, last);  // never runs back
        last = progress.allDone;
        ++told;
    }
    uint64_t last = 0;
    int told = 0;
};

TEST(InstalledCheck, FindsEveryKindOfDamageOnAnyThreadAndCountsEveryByte) {
    testenv::ScratchDir dir("repair_check");
    std::vector<repair::FileToCheck> files;
    std::vector<bool> expected;
    uint64_t total = 0;
    // 30 files, every fifth damaged in one of five ways; one intact file is
    // held open for writing by another handle, as a running client would.
    for (int i = 0; i < 30; ++i) {
        const std::string bytes = Noise(20000 + i * 3001, i + 1);
        const std::string path = dir / ("f" + std::to_string(i) + ".pak");
        std::string onDisk = bytes;
        bool intact = true;
        switch (i % 5 == 0 ? (i / 5) % 5 : -1) {
        case 0: onDisk[onDisk.size() / 2] ^= 1; intact = false; break;        // a changed middle, same size
        case 1: onDisk.resize(onDisk.size() - 1); intact = false; break;     // cut short
        case 2: onDisk += "x"; intact = false; break;                        // longer
        case 3: intact = false; break;                                       // deleted (not written)
        default: break;
        }
        if (!(i % 5 == 0 && (i / 5) % 5 == 3)) testenv::WriteFileBytes(path, onDisk);
        files.push_back({path, SignedOf(bytes)});
        expected.push_back(intact);
        total += bytes.size();
    }
    testenv::WriteFileBytes(dir / "empty.dat", "");
    files.push_back({dir / "empty.dat", SignedOf("")});
    expected.push_back(true);
    base::UniqueFile writer(::CreateFileA(files[1].path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.valid());

    for (unsigned threads : {1u, 3u}) {
        Recorder recorder;
        EXPECT_EQ(expected, repair::CheckInstalledFiles(files, threads, &recorder, 1)) << threads;
        // The bar reaches its end: files cut short or missing count whole.
        EXPECT_EQ(total, recorder.last);
        EXPECT_GE(recorder.told, 1);
    }
    EXPECT_TRUE(repair::CheckInstalledFiles({}, 2, nullptr).empty());
    EXPECT_GE(repair::CheckThreadCount(), 1u);
    EXPECT_LE(repair::CheckThreadCount(), 4u);
}

TEST(InPlaceBlocks, TakesTheIntactBlocksOfADamagedCopyWhereTheyBelong) {
    testenv::ScratchDir dir("repair_blocks");
    constexpr uint32_t kBlock = 1024;
    const std::string good = Noise(40 * kBlock + 300, 7);  // a short last block
    testenv::WriteFileBytes(dir / "good", good);
    release::BlockIndex index;
    ASSERT_TRUE(release::BuildIndex(dir / "good", kBlock, index));

    std::string damaged = good;
    for (size_t at : {size_t(5 * kBlock + 10), size_t(17 * kBlock + 1000), size_t(40 * kBlock + 5)})
        damaged[at] ^= 0x5a;  // in blocks 5, 17 and the short last one; 17's damage ends at its edge
    damaged.resize(36 * kBlock + 1);  // cut short in block 36: 36..40 are gone
    testenv::WriteFileBytes(dir / "damaged", damaged);

    delta::BlockMatch match;
    ASSERT_TRUE(delta::MatchBlocksInPlace(index, dir / "damaged", match));
    for (size_t block = 0; block < index.blocks.size(); ++block) {
        const bool lost = block == 5 || block == 17 || block >= 36;
        EXPECT_EQ(lost ? delta::kNotFound : static_cast<int64_t>(block * kBlock), match.source[block]) << block;
    }
    EXPECT_EQ(0u, match.strongHashes);
    EXPECT_DOUBLE_EQ(34.0 / 41.0, delta::FoundShare(match));
    const delta::AssemblyPlan plan = delta::PlanAssembly(index, match);
    EXPECT_EQ(2u * kBlock + 4u * kBlock + 300u, plan.fetchBytes);
    EXPECT_EQ(3u, plan.ranges);
    EXPECT_FALSE(delta::MatchBlocksInPlace(index, dir / "missing", match));
}

TEST(DiskSpace, CountsStagedAndPlacedBytesLessWhatIsThereAndFitsASmallPlan) {
    testenv::ScratchDir dir("repair_space");
    release::ListEntry entry;
    entry.localPath = "data\\big.pak";
    entry.remoteName = "data/big.pak";
    entry.size = 10000;
    EXPECT_EQ(20000u, fetch::BytesWritten(entry, dir.path()));
    ::CreateDirectoryA((dir / "data").c_str(), nullptr);
    testenv::WriteFileBytes(dir / "data\\big.pak", std::string(4000, 'o'));   // replaced: 6000 more
    testenv::WriteFileBytes(dir / "data\\big.pak_", std::string(2500, 's'));  // continued: 7500 more
    EXPECT_EQ(13500u, fetch::BytesWritten(entry, dir.path()));
    testenv::WriteFileBytes(dir / "data\\big.pak", std::string(12000, 'o'));  // larger: the copy adds nothing
    EXPECT_EQ(7500u, fetch::BytesWritten(entry, dir.path()));

    release::EntryMap plan;
    plan[0] = entry;
    fetch::SpaceShortfall shortfall;
    EXPECT_TRUE(fetch::PlanFits(plan, dir.path(), shortfall));
    // More than any drive of this machine holds: 1,000 files of 4 GiB - 1.
    entry.size = 0xFFFFFFFFu;
    for (int32_t i = 0; i < 1000; ++i) {
        entry.localPath = "x" + std::to_string(i);
        plan[i] = entry;
    }
    EXPECT_FALSE(fetch::PlanFits(plan, dir.path(), shortfall));
    EXPECT_EQ(dir.path(), shortfall.folder);
    EXPECT_EQ(1000ull * 0xFFFFFFFFu * 2, shortfall.needed);
    EXPECT_LT(shortfall.free, shortfall.needed);
    // Names the fetch refuses (out of the folder, a stream) count nothing and are asked nothing.
    for (auto& item : plan) item.second.localPath = (item.first % 2 ? "..\\" : "data\\a.pak:") + item.second.localPath;
    EXPECT_TRUE(fetch::PlanFits(plan, dir.path(), shortfall));
}

}  // namespace
