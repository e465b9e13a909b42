// MD5, the sampled fingerprint, product version texts and sizes, on real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "release/batched_md5.h"
#include "release/file_identity.h"
#include "release/md5.h"
#include "tests/support/test_env.h"

namespace {

using release::ComputeFingerprint;
using release::MatchesFingerprint;

std::string Hex(const release::Md5Digest& digest) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : digest) {
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}

std::string Md5Hex(const std::string& input) {
    release::Md5 md5;
    md5.Update(input.data(), input.size());
    return Hex(md5.Finish());
}

// The fingerprint rule applied to an MD5 input built by the test.
std::string FingerprintOfInput(const std::string& input) {
    release::Md5 md5;
    md5.Update(input.data(), input.size());
    std::string text;
    for (uint8_t byte : md5.Finish()) text += "0123456789abcdef"[byte & 15];
    return text;
}

// Bytes that differ from block to block, so a wrongly placed sample shows.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + i / 1024 * 7) & 0xFF);
    return bytes;
}

// First 8 bytes of every full 1024-byte block, then the tail whole.
std::string SampledInput(const std::string& content) {
    std::string input;
    size_t offset = 0;
    for (; content.size() - offset >= 1024; offset += 1024) input += content.substr(offset, 8);
    return input + content.substr(offset);
}

std::string Fingerprint(const std::string& path) {
    char text[17] = "untouched-buffer";
    EXPECT_TRUE(ComputeFingerprint(path, text));
    return text;
}

TEST(Md5, MatchesTheRfc1321TestSuite) {
    EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", Md5Hex(""));
    EXPECT_EQ("0cc175b9c0f1b6a831c399e269772661", Md5Hex("a"));
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", Md5Hex("abc"));
    EXPECT_EQ("f96b697d7cb7938d525a2f31aaf161d0", Md5Hex("message digest"));
    EXPECT_EQ("c3fcd3d76192e4007dfb496cca67e13b", Md5Hex("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ("d174ab98d277d9f5a5611c2c9f419d9f",
              Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"));
    EXPECT_EQ("57edf4a22be3c955ac49da2e2107b67a",
              Md5Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"));
}

TEST(Md5, GivesTheSameDigestWhateverTheUpdatePieces) {
    const std::string text = Pattern(1000);
    release::Md5 pieces;
    for (size_t offset = 0, step = 1; offset < text.size(); offset += step, step = step % 70 + 1)
        pieces.Update(text.data() + offset, std::min(step, text.size() - offset));
    EXPECT_EQ(Md5Hex(text), Hex(pieces.Finish()));
    // The object starts over after Finish.
    pieces.Update("abc", 3);
    EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", Hex(pieces.Finish()));
}

// Several background batches, committed in pieces of changing size, some
// of them empty; and no input at all.
TEST(BatchedMd5, GivesTheDigestOfTheWholeInputInBothModes) {
    const std::string text = Pattern(3 * 1024 * 1024 + 777);
    for (bool background : {false, true}) {
        const size_t maxPiece = 70000;
        release::BatchedMd5 batched(maxPiece, background);
        for (size_t offset = 0, step = 0; offset < text.size(); offset += step, step = (step * 7 + 4099) % maxPiece) {
            step = std::min(step, text.size() - offset);
            std::copy_n(text.data() + offset, step, batched.Room());
            batched.Commit(step);
        }
        EXPECT_EQ(Md5Hex(text), Hex(batched.Finish())) << background;

        release::BatchedMd5 nothing(16, background);
        EXPECT_EQ(Md5Hex(""), Hex(nothing.Finish())) << background;
    }
}

// A caller that gives up half way (a read error) must not leave the hashing
// thread waiting for input.
TEST(BatchedMd5, EndsItsThreadWhenDroppedUnfinished) {
    const std::string text = Pattern(1536 * 1024);
    release::BatchedMd5 batched(text.size(), true);
    std::copy(text.begin(), text.end(), batched.Room());
    batched.Commit(text.size());
}

class FingerprintTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& content) {
        const std::string path = dir_ / name;
        testenv::WriteFileBytes(path, content);
        return path;
    }
    testenv::ScratchDir dir_{"release_fingerprint"};
};

TEST_F(FingerprintTest, OfAbcIsTheLowNibbleOfEachDigestByte) {
    EXPECT_EQ("0108c2f066fd81f2", Fingerprint(Write("abc.txt", "abc")));
    EXPECT_EQ("4dc9f0249098c82e", Fingerprint(Write("empty.txt", "")));
}

TEST_F(FingerprintTest, HashesWholeOnlyWhenBlocksPlusRemainderAreAtMostFour) {
    for (size_t size : {4u, 4096u}) {
        const std::string content = Pattern(size);
        EXPECT_EQ(FingerprintOfInput(content), Fingerprint(Write("whole.bin", content))) << size;
    }
    // Below one block the sampled input is the whole tail, so only the
    // larger sizes can tell sampling from whole hashing.
    for (size_t size : {5u, 1000u, 4097u, 5120u}) {
        const std::string content = Pattern(size);
        EXPECT_EQ(FingerprintOfInput(SampledInput(content)), Fingerprint(Write("sampled.bin", content))) << size;
        if (size >= 1024) {
            EXPECT_NE(FingerprintOfInput(content), Fingerprint(Write("sampled.bin", content))) << size;
        }
    }
}

TEST_F(FingerprintTest, SamplesEightBytesPerFullBlockAndTheWholeTail) {
    const std::string content = Pattern(2048 + 10);
    const std::string input = content.substr(0, 8) + content.substr(1024, 8) + content.substr(2048);
    ASSERT_EQ(26u, input.size());
    const std::string path = Write("sampled.bin", content);
    EXPECT_EQ(FingerprintOfInput(input), Fingerprint(path));

    std::string outsideSamples = content;
    outsideSamples[8] ^= 0x55;
    outsideSamples[2000] ^= 0x55;
    EXPECT_EQ(Fingerprint(path), Fingerprint(Write("outside.bin", outsideSamples)));
    std::string insideSample = content;
    insideSample[1031] ^= 0x55;
    EXPECT_NE(Fingerprint(path), Fingerprint(Write("inside.bin", insideSample)));
}

TEST_F(FingerprintTest, KeepsBlockBoundariesAcrossLargeReads) {
    // Larger than the routine's read buffer, with a tail that is not a block.
    // The largest is hashed while it is read.
    for (size_t size : {size_t(2) * 1024 * 1024 + 1000, size_t(3) * 1024 * 1024, size_t(160) * 1024 * 1024 + 1000}) {
        const std::string content = Pattern(size);
        EXPECT_EQ(FingerprintOfInput(SampledInput(content)), Fingerprint(Write("large.bin", content))) << size;
    }
}

TEST_F(FingerprintTest, MissingFileLeavesTheBufferAndMatchesOnlyTheEmptyText) {
    char text[17] = "untouched-buffer";
    EXPECT_FALSE(ComputeFingerprint(dir_ / "missing.bin", text));
    EXPECT_STREQ("untouched-buffer", text);
    EXPECT_TRUE(MatchesFingerprint(dir_ / "missing.bin", ""));
    EXPECT_FALSE(MatchesFingerprint(dir_ / "missing.bin", "0108c2f066fd81f2"));
}

TEST_F(FingerprintTest, MatchesIgnoringCase) {
    const std::string path = Write("abc.txt", "abc");
    EXPECT_TRUE(MatchesFingerprint(path, "0108C2F066FD81F2"));
    EXPECT_FALSE(MatchesFingerprint(path, "0108c2f066fd81f3"));
    EXPECT_FALSE(MatchesFingerprint(path, ""));
}

TEST(ProductVersion, IsReadFromTheVersionResource) {
    const std::string bin = testenv::BinDir();
    EXPECT_EQ("1.005", release::GetProductVersionText(bin + "discovery_version_1005.dll"));
    EXPECT_EQ("12.345", release::GetProductVersionText(bin + "discovery_version_12345.dll"));
    EXPECT_EQ("2.103", release::GetProductVersionText(bin + "discovery_version_2103.exe"));

    VS_FIXEDFILEINFO info = {};
    ASSERT_TRUE(release::ReadFixedFileInfo(bin + "discovery_version_1005.dll", info));
    EXPECT_EQ(0x00010000u, info.dwProductVersionMS);
    EXPECT_EQ(0x00000005u, info.dwProductVersionLS);
    EXPECT_EQ(0x00090009u, info.dwFileVersionMS);
}

TEST(ProductVersion, IsEmptyWithoutResourceAndSizeIsZeroForMissingFiles) {
    testenv::ScratchDir dir("release_version");
    testenv::WriteFileBytes(dir / "plain.dll", "not a module");
    EXPECT_EQ("", release::GetProductVersionText(dir / "plain.dll"));
    EXPECT_EQ("", release::GetProductVersionText(dir / "missing.dll"));
    EXPECT_EQ(12u, release::GetFileSize64(dir / "plain.dll"));
    EXPECT_EQ(0u, release::GetFileSize64(dir / "missing.dll"));
}

TEST(SameVersionText, IgnoresCommasDotsAndBlanksOnly) {
    EXPECT_TRUE(release::SameVersionText("1.234", "1, 2, 3, 4"));
    EXPECT_TRUE(release::SameVersionText("1.2345", "12.345"));
    EXPECT_TRUE(release::SameVersionText("", " . , "));
    EXPECT_FALSE(release::SameVersionText("1.005", "1.006"));
    EXPECT_FALSE(release::SameVersionText("1.0a", "1.0A"));
    EXPECT_FALSE(release::SameVersionText("1-0", "10"));
}

}  // namespace
