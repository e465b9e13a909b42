// A release of many entries signed by the release tool's code and verified by
// the updater's, with the list comparison and the check that every pending
// file is signed, at two sizes ten times apart. The updater's part must grow
// linearly: the larger release may take at most 12 times as long. The larger
// release is also signed by a certified release key behind a three-step root
// chain (three roots, k = 2, at every step); its check may take at most 1.2
// times as long as that of the same release signed by a root.
// Usage: signed_release_bench.exe WORK_FOLDER [SMALL_COUNT]
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "discovery/compare_lists.h"
#include "discovery/release_check.h"
#include "fetch/fetch_context.h"
#include "fetch/planned_files.h"
#include "integrity/root_keys.h"
#include "integrity/trusted_release.h"
#include "tools/release_list/release_signing.h"
#include "base/local_files.h"

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
    base::WriteStringToFile(folder + "Arkenfel_List.ini_", list);
    return manifest;
}

// What the updater does with the release: check its signature against the
// list, compare the list, and look every pending file up in the signature.
double TimeUpdaterSide(const std::string& folder, const std::string& signature, const std::string& list,
                       const integrity::RootSet& roots, size_t& pending) {
    const double start = Seconds();
    integrity::MachineTrust trust;
    trust.builtIn = roots;
    integrity::TrustedRelease release;
    discovery::UpdateState state;
    state.m_strInstallFolder = folder;
    state.m_builtInRoots = roots;
    discovery::BeginTrust(state);
    if (integrity::VerifyTrustedRelease(signature, trust, {"2026.12a", ""}, list, release) !=
        integrity::ReleaseCheck::kVerified)
        std::exit(2);
    state.m_trust.Accept(std::move(release.manifest.files));
    discovery::CompareLists(state);
    try {
        const fetch::FetchContext context{state.m_strServerUrl, state.m_strInstallFolder, *state.report,
                                          state.m_bytes, state.m_trust};
        fetch::CheckPlanIsSigned(context, state.m_mapPending);
    } catch (const base::RunFailure&) {
        std::exit(2);
    }
    pending = state.m_mapPending.size();
    return Seconds() - start;
}

// The signature check alone.
double TimeVerification(const std::string& signature, const std::string& list, const integrity::RootSet& roots) {
    integrity::MachineTrust trust;
    trust.builtIn = roots;
    integrity::TrustedRelease release;
    const double start = Seconds();
    if (integrity::VerifyTrustedRelease(signature, trust, {"2026.12a", ""}, list, release) !=
        integrity::ReleaseCheck::kVerified)
        std::exit(2);
    return Seconds() - start;
}

// Best of kRounds after one round that warms the caches.
double BestUpdaterSide(const std::string& folder, const std::string& signature, const std::string& list,
                       const integrity::RootSet& roots, int count) {
    size_t pending = 0;
    TimeUpdaterSide(folder, signature, list, roots, pending);
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        const double elapsed = TimeUpdaterSide(folder, signature, list, roots, pending);
        if (elapsed < best) best = elapsed;
    }
    if (pending != static_cast<size_t>(count)) {
        std::fprintf(stderr, "%d entries: %u pending\n", count, static_cast<unsigned>(pending));
        std::exit(1);
    }
    return best;
}

struct BenchKey {
    BenchKey(const std::string& work, const std::string& name) {
        const std::string path = work + name;
        ::DeleteFileA((path + ".pem").c_str());
        ::DeleteFileA((path + ".pub.pem").c_str());
        release_list::MakeKeyPair(path + ".pem", path + ".pub.pem");
        signing = std::make_unique<release_list::SigningKey>(path + ".pem");
        der = signing->PublicKeyDer();
        base::ReadFileToString(path + ".pub.pem", publicFile);
    }
    std::unique_ptr<release_list::SigningKey> signing;
    std::string der, publicFile;
};

std::string RootSigned(const std::string& text, const std::vector<const BenchKey*>& signers) {
    std::map<crypto::Sha256Digest, std::vector<uint8_t>> signatures;
    for (const BenchKey* key : signers) signatures[integrity::KeyId(key->der)] = key->signing->Sign(text);
    integrity::RootSignedBlock block{text, {}};
    for (const auto& signature : signatures) block.signatures.push_back({signature.first, signature.second});
    return integrity::RootSignedBlockText(block);
}

integrity::RootSet RootsOf(uint32_t version, const std::vector<const BenchKey*>& keys) {
    integrity::RootSet roots{version, 2, {}};
    for (const BenchKey* key : keys) roots.keys.push_back(key->der);
    std::sort(roots.keys.begin(), roots.keys.end());
    return roots;
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
    const BenchKey a(work, "root_a"), b(work, "root_b"), c(work, "root_c"), d(work, "root_d"), release(work, "release");
    std::printf("five 3072-bit key pairs made in %.1f s\n", Seconds() - start);
    integrity::RootSet rootA;
    integrity::RootSetFromKeyFiles({a.publicFile}, 1, 1, rootA);
    // 1: a b c -> 2: b c d -> 3: a c d -> 4: a b d, each step replacing one
    // root and signed by the two it keeps, which count for the set before and
    // for its own.
    const integrity::RootSet builtIn = RootsOf(1, {&a, &b, &c});
    std::string chain = RootSigned(integrity::RootStatementText(RootsOf(2, {&b, &c, &d})), {&b, &c});
    chain += RootSigned(integrity::RootStatementText(RootsOf(3, {&a, &c, &d})), {&c, &d});
    chain += RootSigned(integrity::RootStatementText(RootsOf(4, {&a, &b, &d})), {&a, &d});
    const std::string certificate = RootSigned(integrity::CertificateText(1, release.der), {&a, &b});

    double times[2] = {};
    for (int n = 0; n < 2; ++n) {
        const std::string folder = work + "n" + std::to_string(counts[n]) + "\\";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        std::string list;
        integrity::ReleaseManifest manifest = MakeRelease(folder, counts[n], list);
        start = Seconds();
        const std::string signature = release_list::SignRelease(*a.signing, manifest, list, false, 1, "").text;
        const double signing = Seconds() - start;
        times[n] = BestUpdaterSide(folder, signature, list, rootA, counts[n]);
        std::printf("%d entries: signature file %u bytes, signed in %.3f s; verified, compared and every entry "
                    "looked up in %.3f s (best of %d)\n",
                    counts[n], static_cast<unsigned>(signature.size()), signing, times[n], kRounds);
        if (n == 0) continue;
        const std::string certified =
            chain + certificate + release_list::SignRelease(*release.signing, manifest, list, false, 1, "").text;
        const double chained = BestUpdaterSide(folder, certified, list, builtIn, counts[n]);
        // The two checks alone, in turns, so that other load on the machine
        // falls on both alike.
        double rootOnly = 1e30, behindChain = 1e30;
        for (int round = 0; round < 2 * kRounds; ++round) {
            rootOnly = std::min(rootOnly, TimeVerification(signature, list, rootA));
            behindChain = std::min(behindChain, TimeVerification(certified, list, builtIn));
        }
        std::printf("%d entries with a certified release key and a three-step root chain (signature file %u bytes): "
                    "verified, compared and looked up in %.3f s; the signature check alone %.3f s against the "
                    "root-signed release's %.3f s, %.2f times (target <= 1.20)\n",
                    counts[n], static_cast<unsigned>(certified.size()), chained, behindChain, rootOnly,
                    behindChain / rootOnly);
        if (behindChain / rootOnly > 1.2) return 1;
    }
    const double ratio = times[1] / times[0];
    std::printf("updater side: %d entries %.3f s, %d entries %.3f s, ratio %.2f (limit 12)\n", counts[0], times[0],
                counts[1], times[1], ratio);
    return ratio <= 12.0 ? 0 : 1;
}
