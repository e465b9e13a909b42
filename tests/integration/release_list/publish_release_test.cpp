// The tool's list and gateway file read back through the updater's own
// reading and decision rules: every file in place is up to date, a changed
// one is fetched.
#include <windows.h>

#include <gtest/gtest.h>

#include "release/file_identity.h"
#include "release/gateway.h"
#include "discovery/update_rules.h"
#include "release/entry_on_disk.h"
#include "integrity/release_verification.h"
#include "integrity/root_keys.h"
#include "integrity/trusted_release.h"
#include "tests/integration/release_list/release_fixture.h"
#include "tools/release_list/publish_release.h"
#include "tools/release_list/release_error.h"
#include "tools/release_list/signing_key.h"
#include "tools/release_list/trust_commands.h"

namespace {

using release_test::ReadEntry;
using release_test::ReleaseFolder;

std::string SystemFolder() {
    char buffer[MAX_PATH] = {};
    ::GetSystemDirectoryA(buffer, MAX_PATH);
    return buffer;
}

// Copies each listed file where the updater would install it; system files
// stay in the release (the bench's system folder is left alone) and their
// release copy stands for the installed one.
std::string InstallAll(const ReleaseFolder& folder, const std::vector<ReadEntry>& entries,
                       const std::string& install) {
    for (const ReadEntry& read : entries) {
        if (read.entry.isSystemPath) continue;
        const std::string target = install + read.entry.localPath;
        for (size_t slash = target.find('\\', install.size()); slash != std::string::npos;
             slash = target.find('\\', slash + 1))
            ::CreateDirectoryA(target.substr(0, slash).c_str(), nullptr);
        std::string source = folder.Path(read.entry.remoteName);
        for (char& c : source) c = c == '/' ? '\\' : c;
        EXPECT_TRUE(::CopyFileA(source.c_str(), target.c_str(), FALSE)) << source;
    }
    return install;
}

std::string InstalledPath(const ReleaseFolder& folder, const ReadEntry& read, const std::string& install) {
    if (!read.entry.isSystemPath) return install + read.entry.localPath;
    std::string source = folder.Path(read.entry.remoteName);
    for (char& c : source) c = c == '/' ? '\\' : c;
    return source;
}

TEST(PublishRelease, ListSaysEveryInstalledFileIsUpToDateAndAChangedOneIsFetched) {
    ReleaseFolder folder("release_list_agree");
    release_list::ReleaseOptions options = release_test::OptionsFor(folder);
    options.sections.push_back({"DATA", "data/"});
    options.localPaths.push_back({"readme.txt", "docs/readme.txt"});
    options.systemPatterns.push_back("sys/helper.dat");
    options.revisions.push_back({"data/*.bin", "r0002"});
    const release_list::PublishSummary summary = release_list::PublishRelease(options);
    EXPECT_EQ(4u, summary.fileCount);

    const std::vector<ReadEntry> entries = release_test::ReadList(folder.ListPath());
    ASSERT_EQ(4u, entries.size());
    EXPECT_EQ("DATA", entries[0].section);
    EXPECT_EQ("data/blob.bin", entries[0].key);
    EXPECT_EQ("r0002", entries[0].entry.revision);
    EXPECT_EQ(6000u, entries[0].entry.size);
    EXPECT_EQ("FILES", entries[1].section);
    EXPECT_EQ("bin/module.dll", entries[1].key);
    EXPECT_EQ("bin\\module.dll", entries[1].entry.localPath);
    EXPECT_EQ("1.005", entries[1].entry.version);
    EXPECT_EQ("readme.txt|docs\\readme.txt", entries[2].key);
    EXPECT_EQ("sys/helper.dat|$system$\\helper.dat", entries[3].key);
    EXPECT_TRUE(entries[3].entry.isSystemPath);
    EXPECT_EQ(SystemFolder() + "\\helper.dat", entries[3].entry.localPath);

    testenv::ScratchDir installDir("release_list_install");
    const std::string install = InstallAll(folder, entries, installDir.path());
    for (const ReadEntry& read : entries) {
        const std::string path = InstalledPath(folder, read, install);
        EXPECT_FALSE(release::NeedsUpdateOnDisk(read.entry, path)) << read.key;
        release::ListEntry local = read.entry;
        local.localPath = path;
        EXPECT_FALSE(discovery::NeedsUpdateByList(read.entry, local)) << read.key;
    }

    // A changed byte the fingerprint samples, with the size kept, is seen.
    std::string blob = testenv::ReadFileBytes(install + "data\\blob.bin");
    blob[2048] ^= 0x5A;
    testenv::WriteFileBytes(install + "data\\blob.bin", blob);
    EXPECT_TRUE(release::NeedsUpdateOnDisk(entries[0].entry, install + "data\\blob.bin"));
    testenv::WriteFileBytes(install + "docs\\readme.txt", "short");
    EXPECT_TRUE(release::NeedsUpdateOnDisk(entries[2].entry, install + "docs\\readme.txt"));
}

TEST(PublishRelease, IncludedListDescribesItselfSoTheUpdaterKeepsItAsItsLocalList) {
    ReleaseFolder folder("release_list_self");
    release_list::ReleaseOptions options = release_test::OptionsFor(folder);
    options.includeList = true;
    release_list::PublishRelease(options);

    const std::vector<ReadEntry> first = release_test::ReadList(folder.ListPath());
    ASSERT_EQ(5u, first.size());
    const ReadEntry self = first.back();
    EXPECT_EQ("Arkenfel_List.ini", self.key);
    EXPECT_EQ(release::GetFileSize64(folder.ListPath()), self.entry.size);
    // The server copy, fetched as "Arkenfel_List.ini_", already matches its
    // entry, so the updater installs it without asking the server again.
    EXPECT_FALSE(release::NeedsUpdateOnDisk(self.entry, folder.ListPath()));

    // Installed as the local list, the same release is up to date ...
    testenv::ScratchDir installDir("release_list_self_install");
    const std::string localList = installDir.path() + "Arkenfel_List.ini";
    ASSERT_TRUE(::CopyFileA(folder.ListPath().c_str(), localList.c_str(), FALSE));
    release::ListEntry local = self.entry;
    local.localPath = localList;
    EXPECT_FALSE(discovery::NeedsUpdateByList(self.entry, local));

    // ... and the next release, with one file changed, replaces it.
    folder.Write("readme.txt", "Arkenfel release notes, second edition\r\n");
    release_list::PublishRelease(options);
    const std::vector<ReadEntry> second = release_test::ReadList(folder.ListPath());
    ASSERT_EQ(5u, second.size());
    EXPECT_FALSE(release::NeedsUpdateOnDisk(second.back().entry, folder.ListPath()));
    EXPECT_TRUE(discovery::NeedsUpdateByList(second.back().entry, local));
}

TEST(PublishRelease, GatewayNamesTheReleaseForTheChosenKeysAndKeepsOthers) {
    ReleaseFolder folder("release_list_gateway");
    const std::string gateway = folder.Root() + "\\gateway.ini";
    testenv::WriteFileBytes(gateway, "2025b\r\nbeta=2025b\r\nalpha = 2025a\r\nbeta=stale\r\n");
    release_list::ReleaseOptions options = release_test::OptionsFor(folder);
    options.gatewayRoot = folder.Root() + "\\";
    options.gatewayKeys = {"", "beta", "gamma"};
    const release_list::PublishSummary summary = release_list::PublishRelease(options);
    EXPECT_EQ("2026a", summary.version);

    const std::string text = testenv::ReadFileBytes(gateway);
    EXPECT_EQ("2026a\r\nbeta=2026a\r\nalpha = 2025a\r\ngamma=2026a\r\n", text);
    for (const char* key : {"", "beta", "gamma", "unknown"}) {
        std::string folderName;
        EXPECT_TRUE(release::ParseGateway(text, folderName, key));
        EXPECT_EQ("2026a", folderName) << key;
    }
    std::string alpha;
    EXPECT_TRUE(release::ParseGateway(text, alpha, "alpha"));
    EXPECT_EQ("2025a", alpha);
}

TEST(PublishRelease, GatewayForANestedVersionFolderUsesSlashes) {
    ReleaseFolder folder("release_list_nested");
    const std::string nested = folder.Release() + "\\hotfix";
    ::CreateDirectoryA(nested.c_str(), nullptr);
    testenv::WriteFileBytes(nested + "\\patch.dat", "patch");
    release_list::ReleaseOptions options;
    options.releaseFolder = nested;
    options.gatewayRoot = folder.Root();
    options.gatewayKeys = {""};
    EXPECT_EQ("2026a/hotfix", release_list::PublishRelease(options).version);
    EXPECT_EQ("2026a/hotfix\r\n", testenv::ReadFileBytes(folder.Root() + "\\gateway.ini"));
}

std::string KeyFile(const std::string& name) { return testenv::BinaryDir() + "fixtures\\integrity\\" + name; }

// The published signature checked as an updater whose roots are these
// test keys checks it.
integrity::ReleaseCheck VerifyPublished(const ReleaseFolder& folder, const std::vector<std::string>& roots,
                                        uint32_t threshold, const std::string& channel,
                                        integrity::TrustedRelease& release) {
    integrity::MachineTrust trust;
    std::vector<std::string> files;
    for (const std::string& root : roots) files.push_back(testenv::ReadFileBytes(KeyFile(root + ".pub.pem")));
    EXPECT_TRUE(integrity::RootSetFromKeyFiles(files, threshold, 1, trust.builtIn));
    return integrity::VerifyTrustedRelease(testenv::ReadFileBytes(folder.Path("Arkenfel_Release.sig")), trust,
                                           {"2026a", channel}, testenv::ReadFileBytes(folder.ListPath()), release);
}

TEST(PublishRelease, SignedReleaseVerifiesAndPublishingItAgainKeepsItsSignature) {
    ReleaseFolder folder("release_list_signed");
    folder.Write("Arkenfel_Release.sig", "stray");  // a signature is never listed
    release_list::ReleaseOptions options = release_test::OptionsFor(folder);
    options.gatewayRoot = folder.Root();
    options.includeList = true;
    options.signingKey = testenv::BinaryDir() + "fixtures\\integrity\\test_release_key.pem";
    const release_list::PublishSummary first = release_list::PublishRelease(options);
    EXPECT_EQ(folder.Path("Arkenfel_Release.sig"), first.signaturePath);
    EXPECT_EQ("2026a", first.signedFolder);
    const std::string signature = testenv::ReadFileBytes(first.signaturePath);

    integrity::TrustedRelease verified;
    ASSERT_EQ(integrity::ReleaseCheck::kVerified, VerifyPublished(folder, {"test_release_key"}, 1, "", verified));
    integrity::ReleaseManifest& release = verified.manifest;
    EXPECT_EQ(5u, release.files.size());  // four files and the list itself
    EXPECT_TRUE(integrity::FileMatches(folder.Path("data\\blob.bin"), release.files["data/blob.bin"]));
    EXPECT_TRUE(integrity::FileMatches(folder.ListPath(), release.files["Arkenfel_List.ini"]));

    // The same release again (another gateway key): byte for byte the same signature.
    options.gatewayKeys = {"beta"};
    EXPECT_EQ(first.serial, release_list::PublishRelease(options).serial);
    EXPECT_EQ(signature, testenv::ReadFileBytes(first.signaturePath));
    // A changed release, or a serial given, signs anew.
    options.serial = first.serial + 5;
    EXPECT_EQ(first.serial + 5, release_list::PublishRelease(options).serial);
    folder.Write("readme.txt", "changed");
    options.serial = 0;
    EXPECT_GE(release_list::PublishRelease(options).serial, first.serial);
    ASSERT_EQ(integrity::ReleaseCheck::kVerified, VerifyPublished(folder, {"test_release_key"}, 1, "", verified));
    EXPECT_TRUE(integrity::FileMatches(folder.Path("readme.txt"), release.files["readme.txt"]));

    options.signingKey = folder.ListPath();
    const std::string error = release_test::PublishError(options);
    EXPECT_NE(std::string::npos, error.find("is not an RSA private key")) << error;

    // RSA PKCS #1 v1.5 is deterministic: the platform signs exactly as openssl
    // signed the same text (and the Linux build, through OpenSSL, likewise).
    const std::string body = testenv::ReadFileBytes(KeyFile("openssl_signed.body"));
    const std::vector<uint8_t> ours = release_list::SigningKey(KeyFile("test_release_key.pem")).Sign(body);
    EXPECT_EQ(testenv::ReadFileBytes(KeyFile("openssl_signed.bin")), std::string(ours.begin(), ours.end()));
}

// The ceremony in process: two roots certify the release key one after the
// other into one file, the roots name their successors, and the release
// signed with the certified key alone verifies behind them for its channel.
TEST(PublishRelease, CertifiedReleaseCarriesItsRootStatementAndChannels) {
    ReleaseFolder folder("release_list_certified");
    const std::string certificate = folder.Scratch() / "release.cert";
    const std::string statement = folder.Scratch() / "roots-2.stmt";
    release_list::TrustCommand certify;
    certify.file = certificate;
    certify.releaseKey = KeyFile("test_release_key.pub.pem");
    certify.keySerial = 3;
    for (const char* root : {"test_root_2", "test_root_3"}) {
        certify.rootKeys = {KeyFile(std::string(root) + ".pem")};
        release_list::RunTrustCommand(certify);
    }
    integrity::KeyCertificate read;
    ASSERT_TRUE(integrity::ParseKeyCertificate(testenv::ReadFileBytes(certificate), read));
    EXPECT_EQ(2u, read.block.signatures.size());
    certify.keySerial = 4;  // the file states serial 3
    EXPECT_THROW(release_list::RunTrustCommand(certify), release_list::ReleaseListError);

    release_list::TrustCommand rotate;
    rotate.kind = release_list::TrustCommand::Kind::kRotateRoots;
    rotate.file = statement;
    rotate.rootVersion = 2;
    rotate.threshold = 2;
    rotate.newRoots = {KeyFile("test_root_2.pub.pem"), KeyFile("test_root_3.pub.pem"), KeyFile("test_root_4.pub.pem")};
    rotate.rootKeys = {KeyFile("test_root_1.pem"), KeyFile("test_root_3.pem"), KeyFile("test_root_4.pem")};
    release_list::RunTrustCommand(rotate);

    release_list::ReleaseOptions options = release_test::OptionsFor(folder);
    options.signingKey = KeyFile("test_release_key.pem");
    options.certificate = certificate;
    options.rootStatements = {statement};
    options.channels = {"beta", ""};
    options.gatewayRoot = folder.Root();
    const release_list::PublishSummary summary = release_list::PublishRelease(options);
    EXPECT_EQ(3u, summary.keySerial);
    EXPECT_EQ(1u, summary.rootStatements);
    integrity::TrustedRelease release;
    const std::vector<std::string> roots = {"test_root_1", "test_root_2", "test_root_3"};
    ASSERT_EQ(integrity::ReleaseCheck::kVerified, VerifyPublished(folder, roots, 2, "beta", release));
    EXPECT_EQ(2u, release.roots.version);
    EXPECT_EQ(3u, release.keySerial);
    EXPECT_EQ(integrity::ReleaseCheck::kVerified, VerifyPublished(folder, roots, 2, "", release));
    EXPECT_EQ(integrity::ReleaseCheck::kOtherChannel, VerifyPublished(folder, roots, 2, "alpha", release));

    // What the tool refuses: a gateway line for a key the release is not
    // for, a certificate of another key, and a root key signing a release.
    options.gatewayKeys = {"alpha"};
    EXPECT_NE(std::string::npos, release_test::PublishError(options).find("is not among the release's channels"));
    options.gatewayKeys = {""};
    options.signingKey = KeyFile("other_release_key.pem");
    EXPECT_NE(std::string::npos, release_test::PublishError(options).find("certifies another key"));
    certify.file = folder.Scratch() / "root.cert";
    certify.releaseKey = KeyFile("test_root_2.pub.pem");
    certify.rootKeys = {KeyFile("test_root_2.pem"), KeyFile("test_root_3.pem")};
    release_list::RunTrustCommand(certify);
    options.signingKey = KeyFile("test_root_2.pem");
    options.certificate = certify.file;
    EXPECT_NE(std::string::npos, release_test::PublishError(options).find("is a root key"));
}

}  // namespace

namespace {

// Block indexes: one beside each file of at least the threshold, its size in
// the file's list entry, never an entry itself; publishing again without
// them removes them, and the list reads as before.
TEST(PublishRelease, BlockIndexesAreAnnouncedNeverListedAndRemovedWhenNoLongerWanted) {
    ReleaseFolder folder("release_blkidx");
    release_list::ReleaseOptions options = release_test::OptionsFor(folder);
    options.indexThreshold = 6000;
    options.blockSize = 1024;
    release_list::PublishRelease(options);
    const std::string index = testenv::ReadFileBytes(folder.Path("data\\blob.bin.blkidx"));
    EXPECT_EQ(32u + 6u * 20u, index.size());  // 6000 bytes in six blocks
    EXPECT_FALSE(testenv::FileExists(folder.Path("readme.txt.blkidx")));
    const std::string withIndexes = testenv::ReadFileBytes(folder.ListPath());

    release_list::PublishRelease(options);  // the index beside the file is not a file of the release
    EXPECT_EQ(withIndexes, testenv::ReadFileBytes(folder.ListPath()));
    for (const ReadEntry& read : release_test::ReadList(folder.ListPath())) {
        EXPECT_EQ(read.entry.size >= 6000, read.entry.blockIndexSize > 0) << read.entry.remoteName;
        if (read.entry.remoteName == "data/blob.bin") {
            EXPECT_EQ(index.size(), read.entry.blockIndexSize);
        }
    }

    options.indexThreshold = 0;
    release_list::PublishRelease(options);
    EXPECT_FALSE(testenv::FileExists(folder.Path("data\\blob.bin.blkidx")));
    for (const ReadEntry& read : release_test::ReadList(folder.ListPath())) EXPECT_EQ(0u, read.entry.blockIndexSize);
    EXPECT_EQ(std::string::npos, testenv::ReadFileBytes(folder.ListPath()).find("|" + std::to_string(index.size())));
}

}  // namespace
