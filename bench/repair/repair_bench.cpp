// A repair measured in one run on loopback. First the check: the files of a
// manifest read whole and held to their SHA-256 on the check's threads,
// against a plain read of the same files and the platform's SHA-256 in
// memory (one thread, and as many at once as the check uses). Then a
// damaged archive put right twice: by its blocks as a repair run does it
// (the check that finds it, the index, the blocks taken in place, the
// ranges, the SHA-256 of the result), and by a whole download (the same
// check, the download, the same SHA-256).
// Usage: repair_bench.exe BASE_URL FOLDER
// FOLDER holds check\manifest.txt ("<name> <size> <sha-256>" per line) with
// its files, new\world.pak (the release's archive, served at BASE_URL/new)
// with new\world.sha256, and old\world.pak, the damaged copy.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/link_guard.h"
#include "base/local_files.h"
#include "base/message_box.h"
#include "bench/bench_support.h"
#include "crypto/hex_text.h"
#include "crypto/file_sha256.h"
#include "delta/block_matcher.h"
#include "fetch/delta_fetch.h"
#include "release/block_index.h"
#include "release/file_identity.h"
#include "repair/installed_check.h"
#include "transfer/resumable_transfer.h"

namespace {

double MiBs(uint64_t bytes, double seconds) { return bytes / 1048576.0 / seconds; }

int Fail(const char* what) {
    std::fprintf(stderr, "%s failed\n", what);
    return 1;
}

bool ReadManifest(const std::string& folder, std::vector<repair::FileToCheck>& files, uint64_t& total) {
    std::ifstream manifest(folder + "manifest.txt");
    std::string name, hex;
    uint64_t size = 0;
    total = 0;
    while (manifest >> name >> size >> hex) {
        repair::FileToCheck file;
        file.path = folder + name;
        file.expected.size = static_cast<uint32_t>(size);
        if (!crypto::DigestFromHex(hex, file.expected.sha256)) return false;
        files.push_back(file);
        total += size;
    }
    return !files.empty();
}

// SHA-256 of `bytes` in memory on each of `threads` threads at once: their
// bytes together over the wall time.
double PlatformSha256(const std::vector<char>& bytes, unsigned threads) {
    const double start = Seconds();
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < threads; ++i)
        workers.emplace_back([&bytes] {
            crypto::Sha256 hash;
            crypto::Sha256Digest digest;
            hash.Update(bytes.data(), bytes.size());
            hash.Finish(digest);
        });
    for (std::thread& worker : workers) worker.join();
    return MiBs(bytes.size() * threads, Seconds() - start);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: repair_bench BASE_URL FOLDER\n");
        return 2;
    }
    PrintBoxes();
    const std::string baseUrl = argv[1], folder = std::string(argv[2]) + "\\";

    // The check of an installation.
    std::vector<repair::FileToCheck> files;
    uint64_t total = 0;
    if (!ReadManifest(folder + "check\\", files, total)) return Fail("reading the manifest");
    for (const repair::FileToCheck& file : files) PlainRead(file.path);  // warm the page cache
    double start = Seconds();
    for (const repair::FileToCheck& file : files) PlainRead(file.path);
    const double readRate = MiBs(total, Seconds() - start);
    const unsigned threads = repair::CheckThreadCount();
    const std::vector<char> memory(64u << 20, 'x');
    const double shaOne = PlatformSha256(memory, 1);
    const double shaAll = PlatformSha256(memory, threads);
    start = Seconds();
    const std::vector<bool> intact = repair::CheckInstalledFiles(files, threads, nullptr);
    const double checkRate = MiBs(total, Seconds() - start);
    for (bool good : intact)
        if (!good) return Fail("the check of intact files");
    const double floor = readRate < shaOne * threads ? readRate : shaOne * threads;
    std::printf("check of %u files, %.0f MiB, on %u threads: %.1f MiB/s\n", static_cast<unsigned>(files.size()),
                total / 1048576.0, threads, checkRate);
    std::printf("  plain read of the same files: %.1f MiB/s; platform SHA-256 in memory: %.1f MiB/s on one thread, "
                "%.1f MiB/s on %u at once\n",
                readRate, shaOne, shaAll, threads);
    std::printf("  check = %.3f x min(read, SHA-256 x %u threads = %.1f MiB/s); %.3f x the %u threads' measured "
                "SHA-256; target >= 0.9\n",
                checkRate / floor, threads, shaOne * threads, checkRate / shaAll, threads);

    // A damaged archive put right by its blocks, then by a whole download.
    const std::string oldFolder = folder + "old\\", newPath = folder + "new\\world.pak";
    release::BlockIndex index;
    if (!release::BuildIndex(newPath, release::kDefaultBlockSize, index)) return Fail("index");
    const std::string indexBytes = release::SerializeIndex(index);
    if (!base::WriteStringToFile(newPath + release::kIndexSuffix, indexBytes)) return Fail("writing the index");
    std::string shaText;
    if (!base::ReadFileToString(folder + "new\\world.sha256", shaText)) return Fail("reading the digest");
    integrity::SignedFile archive, indexFile;
    archive.size = static_cast<uint32_t>(index.fileSize);
    indexFile.size = static_cast<uint32_t>(indexBytes.size());
    if (!crypto::DigestFromHex(shaText.substr(0, 64), archive.sha256) || !crypto::HashBytes(indexBytes, indexFile.sha256))
        return Fail("the digests");

    release::ListEntry entry;
    entry.remoteName = entry.localPath = "world.pak";
    entry.size = archive.size;
    entry.blockIndexSize = indexFile.size;
    char fingerprint[17] = {};
    if (!release::ComputeFingerprint(newPath, fingerprint)) return Fail("fingerprint");
    entry.fingerprint = fingerprint;
    fetch::ReleaseTrust trust;
    trust.Accept({{"world.pak", archive}, {std::string("world.pak") + release::kIndexSuffix, indexFile}});
    fetch::ByteLedger bytes;
    bytes.Start(entry.size);
    fetch::FetchContext context{baseUrl + "/new", oldFolder, base::SilentReport(), bytes, trust,
                                /*leftoversUntrusted=*/false, /*repairs=*/true};
    const std::string oldPath = oldFolder + "world.pak", staged = oldFolder + "world.pak_";
    transfer::TransferBuffer buffer(32768);
    transfer::TransferProgress progress;
    progress.total = progress.remaining = entry.size;
    const std::vector<repair::FileToCheck> damaged = {{oldPath, archive}};
    PlainRead(oldPath);

    base::DeleteName(staged);
    start = Seconds();
    if (repair::CheckInstalledFiles(damaged, threads, nullptr)[0]) return Fail("finding the damage");
    const double checkSeconds = Seconds() - start;
    if (fetch::FetchByBlocks(context, entry, staged, entry.fingerprint, progress, buffer) != fetch::DeltaFetch::kStaged)
        return Fail("the repair by blocks");
    const double blockSeconds = Seconds() - start;
    const uint32_t fetched = bytes.Total();
    trust.LetGoOfStaged();
    if (!base::MoveName(staged, oldFolder + "repaired.pak", MOVEFILE_REPLACE_EXISTING)) return Fail("keeping the repaired copy");

    start = Seconds();
    if (repair::CheckInstalledFiles(damaged, threads, nullptr)[0]) return Fail("finding the damage");
    const double downloadStart = Seconds();
    if (transfer::DownloadFileOfKnownSize(&progress, buffer, baseUrl + "/new/world.pak", staged, nullptr, 10,
                                          entry.size) != transfer::kTransferDone)
        return Fail("the whole download");
    const double downloadSeconds = Seconds() - downloadStart;
    if (!trust.Admits(entry, staged)) return Fail("the whole download's check");
    const double wholeSeconds = Seconds() - start;
    trust.LetGoOfStaged();
    base::DeleteName(staged);

    std::printf("archive of %.0f MiB: the check that finds its damage %.2f s\n", index.fileSize / 1048576.0,
                checkSeconds);
    std::printf("  repair by its blocks (check, index, blocks in place, ranges, SHA-256 of the result): %.2f s, "
                "%u bytes fetched (index %u)\n",
                blockSeconds, fetched, indexFile.size);
    std::printf("  repair by a whole download (check, download %.2f s, SHA-256 of the result): %.2f s\n",
                downloadSeconds, wholeSeconds);
    std::printf("  by blocks = %.3f x the repair by a whole download, %.3f x the whole download alone; target <= 0.2\n",
                blockSeconds / wholeSeconds, blockSeconds / downloadSeconds);
    // Where the repair by blocks spends its time, each step alone.
    start = Seconds();
    delta::BlockMatch match;
    if (!delta::MatchBlocksInPlace(index, oldPath, match)) return Fail("the blocks in place");
    const double matchSeconds = Seconds() - start;
    start = Seconds();
    if (!release::MatchesFingerprint(newPath, entry.fingerprint)) return Fail("the fingerprint");
    const double fingerprintSeconds = Seconds() - start;
    start = Seconds();
    crypto::Sha256Digest digest;
    uint64_t hashed = 0;
    if (!crypto::HashFile(newPath, digest, hashed)) return Fail("hashing the archive");
    const double hashSeconds = Seconds() - start;
    std::printf("  its steps alone: the check %.2f s, the blocks in place %.2f s, the fingerprint of the result "
                "%.2f s, its SHA-256 %.2f s; the rest (index, ranges, assembly) %.2f s\n",
                checkSeconds, matchSeconds, fingerprintSeconds, hashSeconds,
                blockSeconds - checkSeconds - matchSeconds - fingerprintSeconds - hashSeconds);
    const double shaFloor = 2 * index.fileSize / 1048576.0 / shaOne;
    std::printf("  two SHA-256 passes over the archive (the check and the result's) at the platform's one-thread "
                "rate: %.2f s = %.3f x the repair by a whole download; by blocks = %.3f x those two passes\n",
                shaFloor, shaFloor / wholeSeconds, blockSeconds / shaFloor);
    std::printf("RESULT fetched=%u index=%u check_ratio=%.3f block_ratio=%.3f\n", fetched, indexFile.size,
                checkRate / floor, blockSeconds / wholeSeconds);
    return 0;
}
