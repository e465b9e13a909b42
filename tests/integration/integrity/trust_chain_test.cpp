// Root keys, release-key certificates and root rotation, played against the
// checks with openssl-made keys: what a thief of one key, of an old root set
// or of fewer than k roots can still get a machine to accept.
#include <gtest/gtest.h>

#include "integrity/root_keys.h"
#include "integrity/trusted_release.h"
#include "tests/integration/integrity/trust_documents.h"

namespace {

using integrity::ReleaseCheck;
using namespace trustdoc;

const char kReleaseKey[] = "test_release_key";
const char kStranger[] = "other_release_key";

integrity::MachineTrust BuiltIn(uint32_t threshold) {
    integrity::MachineTrust trust;
    trust.builtIn = Roots(1, threshold, {"test_root_1", "test_root_2", "test_root_3"});
    return trust;
}

ReleaseCheck Check(const std::string& file, const integrity::MachineTrust& trust, const std::string& channel = "",
                   integrity::TrustedRelease* out = nullptr) {
    integrity::TrustedRelease release;
    const ReleaseCheck check = integrity::VerifyTrustedRelease(file, trust, {"2026a", channel}, kList, release);
    if (out) *out = release;
    return check;
}

integrity::RootPin Pin(const integrity::RootSet& roots) { return {roots.version, integrity::RootSetDigest(roots)}; }

TEST(TrustChain, ACertifiedKeySignsUntilAHigherSerialRevokesItAndOnlyKDistinctRootsCertify) {
    integrity::MachineTrust trust = BuiltIn(2);
    const std::string certified = Certificate(5, kReleaseKey, {"test_root_1", "test_root_2"}) + Release(kReleaseKey);
    integrity::TrustedRelease release;
    ASSERT_EQ(ReleaseCheck::kVerified, Check(certified, trust, "", &release));
    EXPECT_EQ(5u, release.keySerial);
    EXPECT_EQ(1u, release.roots.version);
    EXPECT_EQ(integrity::RootSetDigest(trust.builtIn), release.roots.digest);
    EXPECT_EQ(1u, release.manifest.files.count("readme.txt"));

    trust.lowestKeySerial = 5;
    EXPECT_EQ(ReleaseCheck::kVerified, Check(certified, trust));
    trust.lowestKeySerial = 6;
    EXPECT_EQ(ReleaseCheck::kRevokedKey, Check(certified, trust));
    // The thief of key 5 spent every release serial; key 6 starts anew, key 5 cannot.
    trust.lowestSerial = 0xFFFFFFFF;
    EXPECT_EQ(ReleaseCheck::kVerified,
              Check(Certificate(7, kReleaseKey, {"test_root_1", "test_root_2"}) + Release(kReleaseKey), trust));
    trust.lowestKeySerial = 5;
    EXPECT_EQ(ReleaseCheck::kOlderSerial, Check(certified, trust));
    trust.lowestKeySerial = trust.lowestSerial = 0;

    // Fewer than k roots, a stranger making up the count, a certificate changed after signing.
    EXPECT_EQ(ReleaseCheck::kUncertifiedKey,
              Check(Certificate(5, kReleaseKey, {"test_root_1"}) + Release(kReleaseKey), trust));
    EXPECT_EQ(ReleaseCheck::kUncertifiedKey,
              Check(Certificate(5, kReleaseKey, {"test_root_1", kStranger}) + Release(kReleaseKey), trust));
    std::string raised = certified;
    raised.replace(raised.find("key-serial 5"), 12, "key-serial 9");
    EXPECT_EQ(ReleaseCheck::kUncertifiedKey, Check(raised, trust));
    // A stolen certificate does not lend its key to another signer.
    EXPECT_EQ(ReleaseCheck::kBadSignature,
              Check(Certificate(5, kReleaseKey, {"test_root_1", "test_root_2"}) + Release(kStranger), trust));

    // A root signing alone is enough only where one root decides.
    const std::string rootSigned = Release("test_root_1");
    EXPECT_EQ(ReleaseCheck::kUncertifiedKey, Check(rootSigned, trust));
    EXPECT_EQ(ReleaseCheck::kVerified, Check(rootSigned, BuiltIn(1), "", &release));
    EXPECT_EQ(0u, release.keySerial);
    EXPECT_EQ(ReleaseCheck::kBadSignature, Check(Release(kStranger), BuiltIn(1)));

    // Channels: the plain line is the empty key; without channel lines every channel takes it.
    const std::string beta = Certificate(5, kReleaseKey, {"test_root_1", "test_root_2"}) +
                             Release(kReleaseKey, 10, {"", "beta"});
    EXPECT_NE(std::string::npos, beta.find("\r\nchannel\r\nchannel beta\r\nlist "));
    EXPECT_EQ(ReleaseCheck::kVerified, Check(beta, trust, "beta"));
    EXPECT_EQ(ReleaseCheck::kVerified, Check(beta, trust, ""));
    EXPECT_EQ(ReleaseCheck::kOtherChannel, Check(beta, trust, "alpha"));
    EXPECT_EQ(ReleaseCheck::kVerified, Check(certified, trust, "alpha"));
}

class RootRotation : public ::testing::Test {
protected:
    // 1: roots 1 2 3 (k 2) -> 2: roots 2 3 4 (k 2) -> 3: root 5 (k 1) -> 4: roots 5 6 (k 2)
    const integrity::RootSet v2_ = Roots(2, 2, {"test_root_2", "test_root_3", "test_root_4"});
    const integrity::RootSet v3_ = Roots(3, 1, {"test_root_5"});
    const integrity::RootSet v4_ = Roots(4, 2, {"test_root_5", "test_root_6"});
    const std::string chain_ = Statement(v2_, {"test_root_1", "test_root_3", "test_root_4"}) +
                               Statement(v3_, {"test_root_2", "test_root_4", "test_root_5"}) +
                               Statement(v4_, {"test_root_5", "test_root_6"});
    const std::string signedRelease_ =
        Certificate(7, kReleaseKey, {"test_root_5", "test_root_6"}) + Release(kReleaseKey);
};

TEST_F(RootRotation, AClientSeveralRotationsBehindFollowsTheChainAndAPinnedClientAcceptsOnlyItsSet) {
    integrity::MachineTrust trust = BuiltIn(2);
    integrity::TrustedRelease release;
    ASSERT_EQ(ReleaseCheck::kVerified, Check(chain_ + signedRelease_, trust, "", &release));
    EXPECT_EQ(4u, release.roots.version);
    EXPECT_EQ(integrity::RootSetDigest(v4_), release.roots.digest);
    // The old roots certify nothing at the end of the chain.
    EXPECT_EQ(ReleaseCheck::kUncertifiedKey,
              Check(chain_ + Certificate(7, kReleaseKey, {"test_root_1", "test_root_2"}) + Release(kReleaseKey), trust));

    // Pinned on the way: the chain must pass through exactly that set.
    trust.reached = Pin(v3_);
    EXPECT_EQ(ReleaseCheck::kVerified, Check(chain_ + signedRelease_, trust));
    trust.reached.digest[0] ^= 1;
    EXPECT_EQ(ReleaseCheck::kRootsNotReached, Check(chain_ + signedRelease_, trust));
    // A machine at root version 4: a server that strips the chain, or an
    // old signature file the built-in roots signed, is refused...
    trust.reached = Pin(v4_);
    EXPECT_EQ(ReleaseCheck::kRootsNotReached, Check(signedRelease_, trust));
    EXPECT_EQ(ReleaseCheck::kRootsNotReached,
              Check(Certificate(7, kReleaseKey, {"test_root_1", "test_root_2"}) + Release(kReleaseKey), trust));
    // A thief of roots 1 and 2 spent every key and release serial on a
    // machine still at version 1; the new roots start their own.
    trust.reached = integrity::RootPin();
    trust.lowestKeySerial = trust.lowestSerial = 0xFFFFFFFF;
    ASSERT_EQ(ReleaseCheck::kVerified, Check(chain_ + signedRelease_, trust, "", &release));
    EXPECT_TRUE(release.serialsRestart);
    trust.reached = Pin(v4_);
    EXPECT_EQ(ReleaseCheck::kRevokedKey, Check(chain_ + signedRelease_, trust));
    trust.lowestKeySerial = 7;
    EXPECT_EQ(ReleaseCheck::kOlderSerial, Check(chain_ + signedRelease_, trust));
    trust.lowestKeySerial = trust.lowestSerial = 0;
    // ... while a build whose built-in roots are that set needs no chain.
    trust.builtIn = v4_;
    EXPECT_EQ(ReleaseCheck::kVerified, Check(signedRelease_, trust));
    EXPECT_EQ(ReleaseCheck::kVerified, Check(chain_ + signedRelease_, trust));
}

TEST_F(RootRotation, StolenOldRootsAndStatementsShortOfEitherThresholdAreRefused) {
    integrity::MachineTrust trust = BuiltIn(2);
    const std::string certificate = Certificate(7, kReleaseKey, {kStranger}) + Release(kReleaseKey);
    // The thief of roots 1 and 2 names a set of his own. A machine that moved
    // on to version 2 knows it is not the set it reached...
    const integrity::RootSet forged = Roots(2, 1, {kStranger});
    const std::string forgedChain = Statement(forged, {"test_root_1", "test_root_2", kStranger});
    trust.reached = Pin(v2_);
    EXPECT_EQ(ReleaseCheck::kRootsNotReached, Check(forgedChain + certificate, trust));
    // ... and a successor he appends to the real chain lacks the current roots.
    const std::string appended =
        chain_ + Statement(Roots(5, 1, {kStranger}), {"test_root_1", "test_root_2", kStranger});
    EXPECT_EQ(ReleaseCheck::kBadRootStatement, Check(appended + certificate, trust));

    trust.reached = integrity::RootPin();
    EXPECT_EQ(ReleaseCheck::kBadRootStatement,
              Check(Statement(v2_, {"test_root_1", "test_root_2"}) + signedRelease_, trust));  // old roots only
    EXPECT_EQ(ReleaseCheck::kBadRootStatement,
              Check(Statement(v2_, {"test_root_1", "test_root_4"}) + signedRelease_, trust));  // one current root

    // One key twice in a set, once in another encoding: still one root.
    std::string reencoded = KeyDer("test_root_4");
    ASSERT_EQ(std::string("\x30\x82", 2), reencoded.substr(0, 2));
    reencoded.replace(0, 2, std::string("\x30\x83\x00", 3));
    integrity::RootSet twice{2, 2, {KeyDer("test_root_4"), reencoded}};
    std::sort(twice.keys.begin(), twice.keys.end());
    integrity::RootSignedBlock block = SignBlock(integrity::RootStatementText(twice), {"test_root_1", "test_root_2", "test_root_4"});
    integrity::RootSignature copy = block.signatures[0];
    for (const integrity::RootSignature& signature : block.signatures)
        if (signature.keyId == integrity::KeyId(KeyDer("test_root_4"))) copy = signature;
    copy.keyId = integrity::KeyId(reencoded);
    block.signatures.push_back(copy);
    std::sort(block.signatures.begin(), block.signatures.end(),
              [](const integrity::RootSignature& a, const integrity::RootSignature& b) { return a.keyId < b.keyId; });
    EXPECT_EQ(ReleaseCheck::kBadRootStatement,
              Check(integrity::RootSignedBlockText(block) + Certificate(7, kReleaseKey, {"test_root_4"}) +
                        Release(kReleaseKey),
                    trust));
}

TEST_F(RootRotation, AChainLongerThanTheBoundAndBlocksOutOfPlaceAreRefused) {
    const integrity::MachineTrust trust = BuiltIn(2);
    std::string chain;
    for (uint32_t version = 2; version < 2 + integrity::kMaxChainSteps; ++version)
        chain += Statement(Roots(version, 2, {"test_root_1", "test_root_2", "test_root_3"}), {"test_root_1", "test_root_2"});
    const std::string certified = Certificate(7, kReleaseKey, {"test_root_1", "test_root_2"}) + Release(kReleaseKey);
    EXPECT_EQ(ReleaseCheck::kVerified, Check(chain + certified, trust));
    const std::string oneMore =
        Statement(Roots(10, 2, {"test_root_1", "test_root_2", "test_root_3"}), {"test_root_1", "test_root_2"});
    EXPECT_EQ(ReleaseCheck::kChainTooLong, Check(chain + oneMore + certified, trust));

    const std::string v2 = Statement(v2_, {"test_root_1", "test_root_3", "test_root_4"});
    const std::string v3 = Statement(v3_, {"test_root_2", "test_root_4", "test_root_5"});
    const std::string certificate = Certificate(7, kReleaseKey, {"test_root_5"});
    for (const std::string& misplaced : {v3 + v2 + certificate + Release(kReleaseKey),
                                         v2 + v2 + certificate + Release(kReleaseKey),
                                         certificate + v2 + Release(kReleaseKey),
                                         certificate + certificate + Release(kReleaseKey),
                                         Release(kReleaseKey) + certificate, v2 + certificate})
        EXPECT_EQ(ReleaseCheck::kMalformed, Check(misplaced, trust));
}

}  // namespace
