// The fingerprint and the block index of bytes handed over in pieces of any
// length equal what the readers of a whole file give: the release tool's one
// read must describe a file as the updater's own reads do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "release/block_index.h"
#include "release/block_index_builder.h"
#include "release/file_identity.h"
#include "tests/support/test_env.h"

namespace {

std::string Bytes(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = static_cast<uint32_t>(size) * 2654435761u + 1;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

TEST(OneRead, PiecesOfAnyLengthGiveTheWholeFilesFingerprintAndIndex) {
    testenv::ScratchDir dir("one_read");
    // Whole and sampled fingerprints, a tail of every kind, blocks that end
    // at a piece's end, within it and beyond it.
    const size_t sizes[] = {1, 1023, 1024, 1025, 4100, 5 * 1024 + 3, 70000, 200 * 1024 + 17};
    const size_t pieces[] = {1, 7, 1000, 1024, 1500, 65536};
    const uint32_t blockSize = 1536;
    for (const size_t size : sizes) {
        const std::string bytes = Bytes(size);
        const std::string path = dir / ("f" + std::to_string(size));
        testenv::WriteFileBytes(path, bytes);
        char whole[17] = {};
        ASSERT_TRUE(release::ComputeFingerprint(path, whole));
        release::BlockIndex expected;
        ASSERT_TRUE(release::BuildIndex(path, blockSize, expected));
        for (const size_t piece : pieces) {
            release::FingerprintBuilder fingerprint(size, piece);
            release::BlockIndex index;
            release::BlockIndexBuilder builder(blockSize, index);
            for (size_t offset = 0; offset < size; offset += piece) {
                const size_t length = std::min(piece, size - offset);
                fingerprint.Feed(bytes.data() + offset, length);
                ASSERT_TRUE(builder.Feed(reinterpret_cast<const uint8_t*>(bytes.data()) + offset, length));
            }
            char pieced[17] = {};
            fingerprint.Finish(pieced);
            ASSERT_TRUE(builder.Finish());
            EXPECT_STREQ(whole, pieced) << size << " in pieces of " << piece;
            EXPECT_EQ(release::SerializeIndex(expected), release::SerializeIndex(index))
                << size << " in pieces of " << piece;
        }
    }
    release::BlockIndex empty;
    release::BlockIndexBuilder nothing(blockSize, empty);
    EXPECT_FALSE(nothing.Finish());
}

}  // namespace
