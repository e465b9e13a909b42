#include "tools/release_list/file_digests.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "base/file_system.h"
#include "crypto/sha256.h"
#include "release/block_index_builder.h"
#include "release/file_identity.h"

namespace release_list {
namespace {

constexpr size_t kReadSize = 1024 * 1024;

// One read of the file, every digest fed from it.
void DigestFile(const std::string& path, const DigestsWanted& wanted, std::vector<char>& buffer, FileDigests& out) {
    base::ReadingFile file(path, base::ReadingFile::Sharing::kReadersAndWriters, true);
    if (!file.Size(out.size)) return;
    if (out.size == 0 || out.size > kLargestListedSize) return;
    out.indexed = wanted.indexThreshold != 0 && out.size >= wanted.indexThreshold;

    release::FingerprintBuilder fingerprint(out.size, kReadSize);
    crypto::Sha256 sha256;
    std::unique_ptr<release::BlockIndexBuilder> index;
    if (out.indexed) index.reset(new release::BlockIndexBuilder(wanted.blockSize, out.index));
    uint64_t total = 0;
    for (;;) {
        size_t got = 0;
        if (!file.Read(buffer.data(), kReadSize, got)) return;
        if (got == 0) break;
        fingerprint.Feed(buffer.data(), got);
        if (wanted.sha256 && !sha256.Update(buffer.data(), got)) return;
        if (index && !index->Feed(reinterpret_cast<const uint8_t*>(buffer.data()), got)) return;
        total += got;
    }
    // A file that changed its size while it was read is not the one described.
    if (total != out.size) return;
    char text[17] = {};
    fingerprint.Finish(text);
    out.fingerprint = text;
    if (wanted.sha256) {
        if (!sha256.Finish(out.signedFile.sha256)) return;
        out.signedFile.size = static_cast<uint32_t>(out.size);
    }
    if (index && !index->Finish()) return;
    out.read = true;
}

}  // namespace

std::map<std::string, FileDigests> DigestFiles(const ReleasePlan& plan, const DigestsWanted& wanted) {
    std::vector<FileDigests> digests(plan.files.size());
    std::atomic<size_t> next{0};
    const auto lane = [&] {
        std::vector<char> buffer(kReadSize);
        for (size_t i = next++; i < plan.files.size(); i = next++)
            DigestFile(plan.files[i].file.path, wanted, buffer, digests[i]);
    };
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t lanes = std::min(cores, plan.files.size());
    std::vector<std::thread> threads;
    for (size_t i = 1; i < lanes; ++i) {
        try {
            threads.emplace_back(lane);
        } catch (const std::system_error&) {
            break;  // fewer lanes, the same files
        }
    }
    lane();
    for (std::thread& thread : threads) thread.join();

    std::map<std::string, FileDigests> byName;
    for (size_t i = 0; i < plan.files.size(); ++i) byName[plan.files[i].file.remoteName] = std::move(digests[i]);
    return byName;
}

}  // namespace release_list
