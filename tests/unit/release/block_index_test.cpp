// The rolling weak checksum and the block index's byte form, read strictly.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "release/block_index.h"
#include "release/rolling_checksum.h"
#include "tests/support/test_env.h"

namespace {

constexpr uint32_t kBlock = 1024;

using testenv::Noise;

TEST(BlockIndexTest, RollingEqualsFreshSumsAndTheFormatIsReadStrictly) {
    const std::string bytes = Noise(5000, 1);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    release::RollingChecksum sum;
    sum.Reset(data, kBlock);
    for (size_t at = 1; at + kBlock <= bytes.size(); ++at) {
        sum.Roll(data[at - 1], data[at + kBlock - 1]);
        ASSERT_EQ(release::WeakChecksum(data + at, kBlock), sum.Value()) << at;
    }

    release::BlockIndex index;
    index.blockSize = kBlock;
    index.fileSize = 2 * kBlock + 10;
    index.blocks.resize(3);
    index.blocks[2].weak = 0x12345678;
    index.blocks[2].strong[15] = 0xAB;
    const std::string text = release::SerializeIndex(index);
    EXPECT_EQ(32u + 3 * 20u, text.size());
    EXPECT_EQ("ARKBLKIX", text.substr(0, 8));
    release::BlockIndex back;
    ASSERT_TRUE(release::ParseIndex(text, back));
    EXPECT_EQ(10u, back.BlockLength(2));
    EXPECT_EQ(0x12345678u, back.blocks[2].weak);
    EXPECT_EQ(0xAB, back.blocks[2].strong[15]);
    EXPECT_FALSE(release::ParseIndex(text.substr(0, text.size() - 1), back));  // cut short
    EXPECT_FALSE(release::ParseIndex(text + "x", back));                       // trailing bytes
    std::string moreBlocks = text;
    moreBlocks[17] = static_cast<char>(0x10);  // a file size that needs other blocks
    EXPECT_FALSE(release::ParseIndex(moreBlocks, back));
    std::string tinyBlocks = text;
    tinyBlocks[13] = 0;  // block size 0
    EXPECT_FALSE(release::ParseIndex(tinyBlocks, back));
}

TEST(BlockIndexTest, SeedsMakeAVersionTwoIndexReadAsStrictlyAndNoSeedsKeepVersionOne) {
    release::BlockIndex index;
    index.blockSize = kBlock;
    index.fileSize = kBlock;
    index.blocks.resize(1);
    const std::string plain = release::SerializeIndex(index);
    index.seeds = {"data/old.pak", std::string(release::kMaxSeedNameBytes, 'n')};
    const std::string seeded = release::SerializeIndex(index);
    EXPECT_EQ(1, plain[8]);
    EXPECT_EQ(2, seeded[8]);
    EXPECT_EQ(plain.substr(9), seeded.substr(9, plain.size() - 9));
    EXPECT_EQ(plain.size() + 4 + 2 + 12 + 2 + release::kMaxSeedNameBytes, seeded.size());

    release::BlockIndex back;
    back.seeds = {"left over"};
    ASSERT_TRUE(release::ParseIndex(plain, back));
    EXPECT_TRUE(back.seeds.empty());
    ASSERT_TRUE(release::ParseIndex(seeded, back));
    EXPECT_EQ(index.seeds, back.seeds);

    EXPECT_FALSE(release::ParseIndex(seeded + "x", back));                          // trailing bytes
    EXPECT_FALSE(release::ParseIndex(seeded.substr(0, seeded.size() - 1), back));   // a name cut short
    std::string asPlain = seeded;
    asPlain[8] = 1;  // seeds behind a version 1 index
    EXPECT_FALSE(release::ParseIndex(asPlain, back));
    std::string noSeeds = plain + std::string(4, '\0');
    noSeeds[8] = 2;  // version 2 with a count of 0
    EXPECT_FALSE(release::ParseIndex(noSeeds, back));
    std::string withNul = seeded;
    withNul[plain.size() + 4 + 2 + 4] = '\0';
    EXPECT_FALSE(release::ParseIndex(withNul, back));
    std::string longName = seeded;
    longName[plain.size() + 4 + 2 + 12] = static_cast<char>(release::kMaxSeedNameBytes + 1);  // its length
    longName += 'n';
    EXPECT_FALSE(release::ParseIndex(longName, back));

    index.seeds.assign(release::kMaxSeeds + 1, "x.pak");  // beyond the bound: written without seeds
    EXPECT_EQ(plain, release::SerializeIndex(index));
}

}  // namespace
