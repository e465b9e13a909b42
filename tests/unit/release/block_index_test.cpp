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

}  // namespace
