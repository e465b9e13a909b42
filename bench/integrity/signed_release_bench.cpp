// A release of many entries signed by the release tool's code and verified by
// the updater's, with the list comparison and the check that every pending
// file is signed, at two sizes ten times apart. The updater's part must grow
// linearly: the larger release may take at most 12 times as long.
// Usage: signed_release_bench.exe WORK_FOLDER [SMALL_COUNT]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_support.h"
#include "discovery/compare_lists.h"
#include "discovery/release_check.h"
#include "integrity/release_verification.h"
#include "tools/release_list/release_signing.h"
#include "transfer/local_files.h"

namespace {

constexpr int kSections = 4;
constexpr int kRounds = 3;

// A server list of `count` entries in kSections sections (none of the files
// on disk, so every entry is pending) and the manifest that signs it.
integrity::ReleaseManifest MakeRelease(const std::string& folder, int count, std::string& list) {
    integrity::ReleaseManifest manifest;
    manifest.folder = "2026.12a";
    for (int i = 0; i < count; ++i) {
        if (i % (count / kSections) == 0 && i / (count / kSections) < kSections)
            list += "[Section" + std::to_string(i / (count / kSections)) + "]\r\n";
        const std::string remote = "data/d" + std::to_string(i / 100) + "/file" + std::to_string(i) + ".pak";
        const uint32_t size = 1000 + static_cast<uint32_t>(i);
        list += remote + "=|" + std::to_string(size) + "|0123456789abcdef|\r\n";
        integrity::SignedFile& file = manifest.files[remote];
        file.size = size;
        for (size_t b = 0; b < file.sha256.size(); ++b) file.sha256[b] = static_cast<uint8_t>(i * 31 + b);
    }
    transfer::WriteStringToFile(folder + "Arkenfel_List.ini_", list);
    return manifest;
}

// What the updater does with the release: check its signature against the
// list, compare the list, and look every pending file up in the signature.
double TimeUpdaterSide(const std::string& folder, const std::string& signature, const std::string& list,
                       const std::string& publicKey, size_t& pending) {
    const double start = Seconds();
    integrity::PublicKey key;
    integrity::ReleaseManifest release;
    discovery::UpdateState state;
    state.m_strInstallFolder = folder;
    state.m_strReleaseKey = publicKey;
    if (!key.Load(publicKey) ||
        integrity::VerifyRelease(signature, key, "2026.12a", 0, list, release) != integrity::ReleaseCheck::kVerified)
        std::exit(2);
    state.m_mapSignedFiles = std::move(release.files);
    discovery::CompareLists(state);
    if (!discovery::PendingFilesAreSigned(state)) std::exit(2);
    pending = state.m_mapPending.size();
    return Seconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: signed_release_bench WORK_FOLDER [SMALL_COUNT]\n");
        return 2;
    }
    std::string work = argv[1];
    if (work.back() != '\\') work += '\\';
    const int small = argc > 2 ? std::atoi(argv[2]) : 2000;
    const int counts[2] = {small, small * 10};
    ::CreateDirectoryA(work.c_str(), nullptr);

    double start = Seconds();
    ::DeleteFileA((work + "key.pem").c_str());
    ::DeleteFileA((work + "key.pub.pem").c_str());
    release_list::MakeKeyPair(work + "key.pem", work + "key.pub.pem");
    std::printf("3072-bit key pair made in %.1f s\n", Seconds() - start);
    const release_list::SigningKey key(work + "key.pem");
    std::string publicKey;
    transfer::ReadFileToString(work + "key.pub.pem", publicKey);

    double times[2] = {};
    for (int n = 0; n < 2; ++n) {
        const std::string folder = work + "n" + std::to_string(counts[n]) + "\\";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        std::string list;
        integrity::ReleaseManifest manifest = MakeRelease(folder, counts[n], list);
        start = Seconds();
        const std::string signature = release_list::SignRelease(key, manifest, list, false, 1, "").text;
        const double signing = Seconds() - start;
        size_t pending = 0;
        TimeUpdaterSide(folder, signature, list, publicKey, pending);  // warm the caches once
        times[n] = 1e30;
        for (int round = 0; round < kRounds; ++round) {
            const double elapsed = TimeUpdaterSide(folder, signature, list, publicKey, pending);
            if (elapsed < times[n]) times[n] = elapsed;
        }
        if (pending != static_cast<size_t>(counts[n])) {
            std::fprintf(stderr, "%d entries: %u pending\n", counts[n], static_cast<unsigned>(pending));
            return 1;
        }
        std::printf("%d entries: signature file %u bytes, signed in %.3f s; verified, compared and every entry "
                    "looked up in %.3f s (best of %d)\n",
                    counts[n], static_cast<unsigned>(signature.size()), signing, times[n], kRounds);
    }
    const double ratio = times[1] / times[0];
    std::printf("updater side: %d entries %.3f s, %d entries %.3f s, ratio %.2f (limit 12)\n", counts[0], times[0],
                counts[1], times[1], ratio);
    return ratio <= 12.0 ? 0 : 1;
}
