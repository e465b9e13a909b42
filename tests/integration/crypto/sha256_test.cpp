// SHA-256 of bytes and of a whole file on disk, and its hex text form.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "crypto/file_sha256.h"
#include "tests/support/test_env.h"

namespace {

TEST(ReleaseVerification, Sha256OfBytesAndFilesMatchesTheKnownDigests) {
    crypto::Sha256Digest digest;
    ASSERT_TRUE(crypto::HashBytes("abc", digest));
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", crypto::DigestToHex(digest));
    testenv::ScratchDir dir("crypto_sha");
    std::string big(3 * 256 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 1000);
    testenv::WriteFileBytes(dir / "big", big);
    crypto::Sha256Digest fromFile, fromBytes;
    uint64_t size = 0;
    ASSERT_TRUE(crypto::HashFile(dir / "big", fromFile, size));
    ASSERT_TRUE(crypto::HashBytes(big, fromBytes));
    EXPECT_EQ(big.size(), size);
    EXPECT_EQ(fromBytes, fromFile);
    EXPECT_TRUE(crypto::DigestFromHex(crypto::DigestToHex(fromFile), digest));
    EXPECT_EQ(fromFile, digest);
    EXPECT_FALSE(crypto::DigestFromHex(std::string(64, 'A'), digest));
}

}  // namespace
