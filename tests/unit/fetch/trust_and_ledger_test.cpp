// The trust that admits fetched files and the ledger the window's overall
// bar reads: what each answers before and after a release verified, and the
// counts through a plan that changes under way.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "crypto/sha256.h"
#include "fetch/byte_ledger.h"
#include "fetch/release_trust.h"
#include "tests/support/test_env.h"

namespace {

release::ListEntry Entry(int32_t index, const std::string& remoteName) {
    release::ListEntry entry;
    entry.index = index;
    entry.remoteName = remoteName;
    return entry;
}

integrity::SignedFile Signed(const std::string& bytes) {
    integrity::SignedFile file;
    file.size = static_cast<uint32_t>(bytes.size());
    crypto::HashBytes(bytes, file.sha256);
    return file;
}

TEST(ReleaseTrust, WithoutKeyEverythingPassesAndWithOneNothingUntilAReleaseVerified) {
    testenv::ScratchDir dir("fetch_trust");
    const std::string staged = dir / "a.dat_";
    testenv::WriteFileBytes(staged, "alpha");

    fetch::ReleaseTrust open = fetch::ReleaseTrust::WithoutKey();
    EXPECT_FALSE(open.Checks());
    EXPECT_TRUE(open.Covers(Entry(0, "a.dat")));
    EXPECT_TRUE(open.AllowsAnnounced("a.dat.idx", 99));
    EXPECT_TRUE(open.BytesMatch("a.dat.idx", "anything"));
    EXPECT_TRUE(open.Admits(Entry(0, "a.dat"), staged));
    EXPECT_EQ(nullptr, open.HeldFor(0));  // nothing is held without a key

    fetch::ReleaseTrust pending;  // a key, and no release verified yet
    EXPECT_TRUE(pending.Checks());
    EXPECT_FALSE(pending.Covers(Entry(0, "a.dat")));
    EXPECT_FALSE(pending.AllowsAnnounced("a.dat.idx", 5));
    EXPECT_FALSE(pending.BytesMatch("a.dat", "alpha"));
    EXPECT_FALSE(pending.Admits(Entry(0, "a.dat"), staged));
}

TEST(ReleaseTrust, AVerifiedReleaseAdmitsOnlyItsBytesAndHoldsThemUntilTheCopy) {
    testenv::ScratchDir dir("fetch_trust_signed");
    const std::string staged = dir / "a.dat_";
    const std::string other = dir / "b.dat_";
    testenv::WriteFileBytes(staged, "alpha");
    testenv::WriteFileBytes(other, "bravo, changed");

    fetch::ReleaseTrust trust;
    trust.Accept({{"a.dat", Signed("alpha")}, {"b.dat", Signed("bravo")}, {"a.dat.idx", Signed("index")}});
    EXPECT_TRUE(trust.Covers(Entry(0, "a.dat")));
    EXPECT_FALSE(trust.Covers(Entry(0, "c.dat")));
    EXPECT_TRUE(trust.AllowsAnnounced("a.dat.idx", 5));
    EXPECT_FALSE(trust.AllowsAnnounced("a.dat.idx", 6));  // announced with another size than signed
    EXPECT_TRUE(trust.BytesMatch("a.dat.idx", "index"));
    EXPECT_FALSE(trust.BytesMatch("a.dat.idx", "indeX"));
    EXPECT_FALSE(trust.BytesMatch("a.dat.idx", "index!"));

    EXPECT_FALSE(trust.Admits(Entry(1, "b.dat"), other));
    EXPECT_EQ(nullptr, trust.HeldFor(1));
    ASSERT_TRUE(trust.Admits(Entry(0, "a.dat"), staged));
    ASSERT_NE(nullptr, trust.HeldFor(0));
    // Held: nobody, this process included, may change or remove the checked bytes.
    EXPECT_FALSE(::DeleteFileA(staged.c_str()));
    trust.LetGo(0);
    EXPECT_EQ(nullptr, trust.HeldFor(0));
    EXPECT_TRUE(::DeleteFileA(staged.c_str()));

    testenv::WriteFileBytes(other, "bravo");  // fetched again, now as signed
    ASSERT_TRUE(trust.Admits(Entry(2, "b.dat"), other));
    trust.LetGoOfStaged();
    EXPECT_TRUE(::DeleteFileA(other.c_str()));
}

TEST(ByteLedger, CountsAPlanThatTurnsToBlocksAndBackAndTheWindowsCountDown) {
    fetch::ByteLedger bytes;
    bytes.Received(100, 4000);  // a report before anything was counted takes the file as the total
    EXPECT_EQ(4000u, bytes.Total());
    EXPECT_EQ(3900u, bytes.Remaining());

    bytes.Start(10000);  // two files, 3000 and 7000 bytes
    bytes.Received(3000, 3000);
    bytes.FetchInstead(7000, 120, 1500);  // the second by its blocks: index and ranges instead
    EXPECT_EQ(3000u + 120u + 1500u, bytes.Total());
    EXPECT_EQ(1500u, bytes.Remaining());
    bytes.Received(500, 7000);
    bytes.CountAgain(7000 - 1000);  // the blocks fail: whole again, less the ranges never fetched
    EXPECT_EQ(3000u + 120u + 1500u + 6000u, bytes.Total());
    EXPECT_EQ(7000u, bytes.Remaining());
    bytes.Received(7000, 7000);
    EXPECT_EQ(0u, bytes.Remaining());
    EXPECT_EQ(bytes.Total(), bytes.Done());
}

}  // namespace
