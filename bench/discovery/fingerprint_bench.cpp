// Throughput of the sampled fingerprint against a plain read of the same
// file in the same run, both from a warm page cache. Target: the fingerprint
// reaches at least 0.9 times the plain read's throughput.
// Usage: fingerprint_bench.exe FILE [ROUNDS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "release/file_identity.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fingerprint_bench FILE [ROUNDS]\n");
        return 2;
    }
    const std::string path = argv[1];
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const uint64_t bytes = PlainRead(path);  // brings the file into the page cache
    if (bytes == 0) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 2;
    }
    const double mib = static_cast<double>(bytes) / 1048576.0;
    double bestRead = 1e30, bestPrint = 1e30;
    char fingerprint[17] = {};
    for (int round = 1; round <= rounds; ++round) {
        double start = Seconds();
        PlainRead(path);
        const double read = Seconds() - start;
        start = Seconds();
        if (!release::ComputeFingerprint(path, fingerprint)) return 2;
        const double print = Seconds() - start;
        std::printf("round %d: plain read %.0f MiB/s, fingerprint %.0f MiB/s\n", round, mib / read, mib / print);
        if (read < bestRead) bestRead = read;
        if (print < bestPrint) bestPrint = print;
    }
    const double ratio = bestRead / bestPrint;
    std::printf("best of %d, %.0f MiB: plain read %.0f MiB/s, fingerprint %s %.0f MiB/s, ratio %.2f (target >= 0.90)\n",
                rounds, mib, mib / bestRead, fingerprint, mib / bestPrint, ratio);
    return ratio >= 0.9 ? 0 : 1;
}
