// A changed archive updated by its blocks against a whole download of it,
// in one run on loopback: the index written as the release tool writes it,
// a plain read of the old copy against the block search over it, the whole
// download, and the update by blocks as the download stage makes it (index
// fetch, search, copied and ranged pieces, the fingerprint check).
// Usage: delta_bench.exe BASE_URL FOLDER
// FOLDER holds old\world.pak (the installed copy) and is served at BASE_URL
// with new\world.pak (the release); the index goes beside the latter.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "base/message_box.h"
#include "bench/bench_support.h"
#include "delta/assembly_plan.h"
#include "release/block_index.h"
#include "delta/block_matcher.h"
#include "release/strong_hash.h"
#include "fetch/delta_fetch.h"
#include "release/file_identity.h"
#include "base/local_files.h"
#include "transfer/resumable_transfer.h"

namespace {

double MiBs(uint64_t bytes, double seconds) { return bytes / 1048576.0 / seconds; }

int Fail(const char* what) {
    std::fprintf(stderr, "%s failed\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: delta_bench BASE_URL FOLDER\n");
        return 2;
    }
    PrintBoxes();
    const std::string baseUrl = argv[1], folder = std::string(argv[2]) + "\\";
    const std::string oldPath = folder + "old\\world.pak", newPath = folder + "new\\world.pak";

    double start = Seconds();
    release::BlockIndex index;
    if (!release::BuildIndex(newPath, release::kDefaultBlockSize, index)) return Fail("index");
    const std::string indexBytes = release::SerializeIndex(index);
    if (!base::WriteStringToFile(newPath + release::kIndexSuffix, indexBytes)) return Fail("writing the index");
    std::printf("index of the new file: %u blocks of %u bytes, %u bytes, made in %.2f s\n",
                static_cast<unsigned>(index.blocks.size()), index.blockSize, static_cast<unsigned>(indexBytes.size()),
                Seconds() - start);

    PlainRead(oldPath);  // warm the page cache for both
    start = Seconds();
    const uint64_t read = PlainRead(oldPath);
    const double readSeconds = Seconds() - start;
    std::printf("plain read of the old file: %.2f s, %.1f MiB/s\n", readSeconds, MiBs(read, readSeconds));

    start = Seconds();
    delta::BlockMatch match;
    if (!delta::MatchBlocks(index, oldPath, match)) return Fail("block search");
    const double scanSeconds = Seconds() - start;
    const delta::AssemblyPlan plan = delta::PlanAssembly(index, match);
    std::printf("block search over the old file: %.2f s, %.1f MiB/s (x%.2f of the plain read); "
                "%llu strong hashes, %llu weak-only hits\n",
                scanSeconds, MiBs(read, scanSeconds), readSeconds / scanSeconds,
                static_cast<unsigned long long>(match.strongHashes), static_cast<unsigned long long>(match.weakOnlyHits));
    // What the strong hashes alone cost: the same count of blocks hashed in memory, on one thread.
    {
        const release::StrongHasher hasher;
        std::unique_ptr<uint8_t[]> block(new uint8_t[index.blockSize]());
        release::StrongHash strong;
        start = Seconds();
        for (uint64_t i = 0; i < match.strongHashes; ++i) hasher.Hash(block.get(), index.blockSize, strong);
        const double hashSeconds = Seconds() - start;
        std::printf("  SHA-256 of as many blocks in memory on one thread: %.2f s (%.1f MiB/s); the search splits them "
                    "over two threads from 64 MiB on\n",
                    hashSeconds, MiBs(match.strongHashes * index.blockSize, hashSeconds));
    }
    std::printf("plan: %llu bytes reused, %llu bytes fetched in %u ranges\n",
                static_cast<unsigned long long>(plan.reusedBytes), static_cast<unsigned long long>(plan.fetchBytes),
                static_cast<unsigned>(plan.ranges));

    transfer::TransferBuffer buffer(32768);
    transfer::TransferProgress whole;
    const std::string wholeTarget = folder + "whole.pak_";
    ::DeleteFileA(wholeTarget.c_str());
    start = Seconds();
    if (transfer::DownloadFileResumable(&whole, buffer, baseUrl + "/new/world.pak", wholeTarget, nullptr, 10,
                                        transfer::ExpectedLength::Exactly(index.fileSize)) != transfer::kTransferDone)
        return Fail("whole download");
    const double wholeSeconds = Seconds() - start;
    std::printf("whole download: %.2f s, %.1f MiB/s\n", wholeSeconds, MiBs(index.fileSize, wholeSeconds));
    ::DeleteFileA(wholeTarget.c_str());

    release::ListEntry entry;
    entry.remoteName = entry.localPath = "world.pak";
    entry.size = static_cast<uint32_t>(index.fileSize);
    entry.blockIndexSize = static_cast<uint32_t>(indexBytes.size());
    char fingerprint[17] = {};
    if (!release::ComputeFingerprint(newPath, fingerprint)) return Fail("fingerprint");
    entry.fingerprint = fingerprint;
    fetch::ByteLedger bytes;
    bytes.Start(entry.size);
    fetch::ReleaseTrust trust = fetch::ReleaseTrust::WithoutKey();
    fetch::FetchContext context{baseUrl + "/new", folder + "old\\", base::SilentReport(), bytes, trust};
    const std::string staged = folder + "old\\world.pak_";
    ::DeleteFileA(staged.c_str());
    transfer::TransferProgress progress;
    progress.total = progress.remaining = entry.size;
    start = Seconds();
    if (fetch::FetchByBlocks(context, entry, staged, entry.fingerprint, progress, buffer) != fetch::DeltaFetch::kStaged)
        return Fail("update by blocks");
    const double deltaSeconds = Seconds() - start;
    std::printf("update by blocks (index fetch, search, assembly, fingerprint check): %.2f s (x%.3f of the whole "
                "download)\n",
                deltaSeconds, deltaSeconds / wholeSeconds);
    std::printf("bytes fetched: %u of %llu (index %u + ranges %llu)\n", static_cast<unsigned>(bytes.Total()),
                static_cast<unsigned long long>(index.fileSize), static_cast<unsigned>(indexBytes.size()),
                static_cast<unsigned long long>(plan.fetchBytes));
    std::printf("RESULT fetched=%u index=%u scan_ratio=%.3f update_ratio=%.3f\n", static_cast<unsigned>(bytes.Total()),
                static_cast<unsigned>(indexBytes.size()), readSeconds / scanSeconds, deltaSeconds / wholeSeconds);
    return 0;
}
