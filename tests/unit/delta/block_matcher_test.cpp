// The search for blocks in an old copy and the plan made from it,
// in-process on small files with small blocks.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "delta/assembly_plan.h"
#include "release/block_index.h"
#include "delta/block_matcher.h"
#include "release/rolling_checksum.h"
#include "tests/support/test_env.h"

namespace {

constexpr uint32_t kBlock = 1024;

using testenv::Noise;

// What the plan makes of the old file: its copied pieces taken from the
// old bytes, its fetched pieces from the new ones.
std::string Assemble(const delta::AssemblyPlan& plan, const std::string& oldBytes, const std::string& newBytes) {
    std::string out;
    for (const delta::Piece& piece : plan.pieces)
        out += piece.fetched() ? newBytes.substr(piece.offset, piece.length)
                               : oldBytes.substr(static_cast<size_t>(piece.source), piece.length);
    return out;
}

class BlockMatcherTest : public ::testing::Test {
protected:
    delta::AssemblyPlan Plan(const std::string& oldBytes, const std::string& newBytes, size_t maxRanges = 64,
                             uint32_t blockSize = kBlock) {
        testenv::WriteFileBytes(dir_ / "old", oldBytes);
        testenv::WriteFileBytes(dir_ / "new", newBytes);
        release::BlockIndex built;
        EXPECT_TRUE(release::BuildIndex(dir_ / "new", blockSize, built));
        // The index travels as bytes: what the updater uses is what it parses.
        EXPECT_TRUE(release::ParseIndex(release::SerializeIndex(built), index_));
        EXPECT_TRUE(delta::MatchBlocks(index_, dir_ / "old", match_));
        return delta::PlanAssembly(index_, match_, maxRanges);
    }

    testenv::ScratchDir dir_{"delta_matcher"};
    release::BlockIndex index_;
    delta::BlockMatch match_;
};

TEST_F(BlockMatcherTest, InsertionsRemovalsAndChangesCostOnlyTheBlocksTheyTouch) {
    const std::string oldBytes = Noise(200 * kBlock + 300, 7);
    // Bytes inserted early shift every later block; a removal and an
    // overwrite further on; the short tail stays.
    std::string newBytes = oldBytes;
    newBytes.insert(3 * kBlock + 5, Noise(100, 8));
    newBytes.erase(80 * kBlock + 17, 2000);
    newBytes.replace(150 * kBlock, 40, Noise(40, 9));
    const delta::AssemblyPlan plan = Plan(oldBytes, newBytes);

    EXPECT_EQ(newBytes, Assemble(plan, oldBytes, newBytes));
    // Each edit spoils at most the two blocks it straddles.
    EXPECT_LE(plan.fetchBytes, 6u * kBlock);
    EXPECT_EQ(3u, plan.ranges);
    EXPECT_EQ(newBytes.size(), plan.fetchBytes + plan.reusedBytes);
    EXPECT_NE(delta::kNotFound, match_.source.back());  // the short tail, found at the old file's end
    // A strong hash only where a weak checksum hit.
    EXPECT_LE(match_.strongHashes, index_.blocks.size() + 2);
}

TEST_F(BlockMatcherTest, AWeakHitWhoseStrongHashDiffersIsNotReused) {
    const std::string newBytes = Noise(8 * kBlock, 3);
    // +1, -2, +1 on three neighbouring bytes leaves both sums of the weak
    // checksum as they were.
    std::string oldBytes = newBytes;
    const size_t at = 4 * kBlock + 100;
    oldBytes[at] = static_cast<char>(oldBytes[at] + 1);
    oldBytes[at + 1] = static_cast<char>(oldBytes[at + 1] - 2);
    oldBytes[at + 2] = static_cast<char>(oldBytes[at + 2] + 1);
    const auto* block = reinterpret_cast<const uint8_t*>(oldBytes.data()) + 4 * kBlock;
    const auto* wanted = reinterpret_cast<const uint8_t*>(newBytes.data()) + 4 * kBlock;
    ASSERT_EQ(release::WeakChecksum(wanted, kBlock), release::WeakChecksum(block, kBlock)) << "no byte may wrap here";

    const delta::AssemblyPlan plan = Plan(oldBytes, newBytes);
    EXPECT_EQ(delta::kNotFound, match_.source[4]);
    EXPECT_GE(match_.weakOnlyHits, 1u);
    EXPECT_EQ(kBlock, plan.fetchBytes);
    EXPECT_EQ(newBytes, Assemble(plan, oldBytes, newBytes));
}

TEST_F(BlockMatcherTest, ManyScatteredChangesAreJoinedToTheRequestBound) {
    const std::string oldBytes = Noise(100 * kBlock, 11);
    std::string newBytes = oldBytes;
    for (size_t block = 5; block < 100; block += 10) newBytes[block * kBlock + 1] ^= 0x5A;
    // Repeated content: the same block's bytes serve every place that holds them.
    const std::string repeated = oldBytes.substr(0, kBlock);
    newBytes.replace(2 * kBlock, kBlock, repeated);
    newBytes.replace(3 * kBlock, kBlock, repeated);

    const delta::AssemblyPlan free = Plan(oldBytes, newBytes);
    EXPECT_EQ(10u, free.ranges);
    EXPECT_EQ(10u * kBlock, free.fetchBytes);
    EXPECT_EQ(0, match_.source[2]);
    EXPECT_EQ(0, match_.source[3]);

    const delta::AssemblyPlan bounded = delta::PlanAssembly(index_, match_, 3);
    EXPECT_EQ(3u, bounded.ranges);
    EXPECT_EQ(newBytes, Assemble(bounded, oldBytes, newBytes));
    EXPECT_EQ(newBytes, Assemble(free, oldBytes, newBytes));
    // The shortest gaps were given up first: every gap is 9 blocks here.
    EXPECT_EQ(10u * kBlock + 7u * 9u * kBlock, bounded.fetchBytes);
}

TEST_F(BlockMatcherTest, ALargeOldFileSearchedInStripesOnTwoThreadsFindsWhatOneSearchWould) {
    constexpr uint32_t kLarge = 64 * 1024;
    const std::string oldBytes = Noise(64 * 1024 * 1024 + 5000, 21);
    // Edits on both sides of the middle, by the boundary of two stripes.
    std::string newBytes = oldBytes;
    const size_t middle = oldBytes.size() / 2;
    newBytes.insert(middle + 10, Noise(50, 22));
    newBytes.replace(middle - 3 * kLarge, 100, Noise(100, 23));
    newBytes.erase(1000, 7);
    const delta::AssemblyPlan plan = Plan(oldBytes, newBytes, 64, kLarge);
    EXPECT_EQ(newBytes, Assemble(plan, oldBytes, newBytes));
    EXPECT_LE(plan.fetchBytes, 6u * kLarge);
}

TEST_F(BlockMatcherTest, BlocksComeFromSeveralFilesEachSearchedOnlyForWhatTheOnesBeforeLacked) {
    // The new file: the old copy's head, a seed's stretch at an offset of no
    // block boundary, new bytes, and a second seed's stretch that the first
    // seed holds too.
    const std::string oldBytes = Noise(20 * kBlock, 31);
    const std::string seedA = Noise(30 * kBlock + 77, 32);
    const std::string seedB = Noise(5 * kBlock, 33) + seedA.substr(20 * kBlock, 8 * kBlock);
    const std::string newBytes = oldBytes.substr(0, 6 * kBlock) + seedA.substr(333, 12 * kBlock) +
                                 Noise(2 * kBlock, 34) + seedB.substr(0, 7 * kBlock) + "tail";
    testenv::WriteFileBytes(dir_ / "old", oldBytes);
    testenv::WriteFileBytes(dir_ / "a", seedA);
    testenv::WriteFileBytes(dir_ / "b", seedB);
    testenv::WriteFileBytes(dir_ / "new", newBytes);
    ASSERT_TRUE(release::BuildIndex(dir_ / "new", kBlock, index_));

    delta::StartMatch(index_, match_);
    EXPECT_TRUE(delta::SearchFile(index_, dir_ / "old", 0, match_));
    EXPECT_FALSE(delta::SearchFile(index_, dir_ / "missing", 1, match_));  // costs nothing, spoils nothing
    EXPECT_TRUE(delta::SearchFile(index_, dir_ / "a", 2, match_));
    EXPECT_TRUE(delta::SearchFile(index_, dir_ / "b", 3, match_));
    const std::string files[] = {oldBytes, "", seedA, seedB};
    for (size_t block = 0; block < 6; ++block) EXPECT_EQ(0u, match_.file[block]) << block;
    for (size_t block = 6; block < 18; ++block) EXPECT_EQ(2u, match_.file[block]) << block;
    // seedB's first 5 blocks are its own; the 2 after them seedA already gave.
    for (size_t block = 20; block < 25; ++block) EXPECT_EQ(3u, match_.file[block]) << block;
    for (size_t block = 25; block < 27; ++block) EXPECT_EQ(2u, match_.file[block]) << block;

    const delta::AssemblyPlan plan = delta::PlanAssembly(index_, match_);
    std::string out;
    for (const delta::Piece& piece : plan.pieces)
        out += piece.fetched() ? newBytes.substr(piece.offset, piece.length)
                               : files[piece.file].substr(static_cast<size_t>(piece.source), piece.length);
    EXPECT_EQ(newBytes, out);
    EXPECT_EQ(2u * kBlock + 4, plan.fetchBytes);  // the new bytes and the short tail
    EXPECT_EQ(2u, plan.ranges);

    // Once every block is found no further file is opened: not even one that is not there.
    delta::BlockMatch whole;
    ASSERT_TRUE(delta::MatchBlocks(index_, dir_ / "new", whole));
    EXPECT_TRUE(delta::SearchFile(index_, dir_ / "missing", 1, whole));
}

}  // namespace
