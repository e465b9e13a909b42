// Cost of checking the client before the updater starts it: the release
// gate admitting a 64 MiB file of the kept release (opened held, read once
// for its SHA-256, compared with the signed one), side by side with SHA-256
// of the same number of bytes in memory through the same platform provider.
// Target: the check at least 0.9 times the in-memory rate.
// Usage: client_check_bench.exe FOLDER [MIB] [ROUNDS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "discovery/release_gate.h"
#include "crypto/sha256.h"
#include "base/local_files.h"

namespace {

double InMemory(const std::string& bytes) {
    crypto::Sha256 hash;
    crypto::Sha256Digest digest;
    const double start = Seconds();
    hash.Update(bytes.data(), bytes.size());
    hash.Finish(digest);
    return Seconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: client_check_bench FOLDER [MIB] [ROUNDS]\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    const int mib = argc > 2 ? std::atoi(argv[2]) : 64;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    ::CreateDirectoryA(folder.c_str(), nullptr);

    std::string client(static_cast<size_t>(mib) << 20, '\0');
    for (size_t i = 0; i < client.size(); ++i) client[i] = static_cast<char>((i * 2654435761u) >> 13);
    const std::string clientPath = folder + "Arkenfel.exe";
    const std::string listPath = folder + "Arkenfel_Release.lst";
    std::map<std::string, integrity::SignedFile> signedFiles;
    signedFiles["Arkenfel.exe"].size = static_cast<uint32_t>(client.size());
    if (!crypto::HashBytes(client, signedFiles["Arkenfel.exe"].sha256) ||
        !base::WriteStringToFile(clientPath, client) ||
        !base::WriteStringToFile(listPath, "[Client]\r\nArkenfel.exe=|" + std::to_string(client.size()) + "||\r\n"))
        return 2;
    discovery::ReleaseGate gate(
        std::make_unique<discovery::ReleaseFiles>(discovery::ReleaseFiles::FromList(listPath, folder, signedFiles)),
        folder, base::SilentReport());

    double bestCheck = 1e30, bestMemory = 1e30;
    for (int round = 1; round <= rounds; ++round) {
        base::UniqueFile held;
        const double start = Seconds();
        if (gate.Admit(clientPath, held) != install::GateResult::kAdmitted) return 2;
        const double check = Seconds() - start;
        const double memory = InMemory(client);
        std::printf("round %d: check before the start %.0f MiB/s, SHA-256 in memory %.0f MiB/s\n", round, mib / check,
                    mib / memory);
        if (check < bestCheck) bestCheck = check;
        if (memory < bestMemory) bestMemory = memory;
    }
    const double ratio = bestMemory / bestCheck;
    std::printf("best of %d, %d MiB client: check before the start %.0f MiB/s (%.0f ms), SHA-256 in memory %.0f MiB/s, "
                "ratio %.2f (target >= 0.90)\n",
                rounds, mib, mib / bestCheck, bestCheck * 1000, mib / bestMemory, ratio);
    ::DeleteFileA(clientPath.c_str());
    ::DeleteFileA(listPath.c_str());
    return ratio >= 0.9 ? 0 : 1;
}
