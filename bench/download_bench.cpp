// Downloads one file with the updater's transfer layer and prints the
// throughput: the whole DownloadFileResumable call (size query included), the
// ranged body transfer alone (HttpGetRange), and a size query alone.
// Usage: download_bench.exe URL TARGET [BLOCK_BYTES]
// BLOCK_BYTES (default 32768, what the updater uses) is there to measure how
// the block size matters.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/message_box.h"
#include "transfer/http_transfer.h"
#include "transfer/resumable_transfer.h"
#include "transfer/transfer_errors.h"

namespace {

class Stopwatch {
public:
    Stopwatch() {
        ::QueryPerformanceFrequency(&frequency_);
        ::QueryPerformanceCounter(&start_);
    }
    double Seconds() const {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) / frequency_.QuadPart;
    }

private:
    LARGE_INTEGER frequency_, start_;
};

void PrintRate(const char* what, uint64_t bytes, double seconds) {
    std::printf("%s: %llu bytes in %.3f s: %.1f MiB/s\n", what, static_cast<unsigned long long>(bytes), seconds,
                static_cast<double>(bytes) / seconds / 1048576.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: download_bench URL TARGET [BLOCK_BYTES]\n");
        return 2;
    }
    // A failure would raise an error box; print it instead of waiting for a click.
    base::SetMessageBoxHandler([](const std::string& text, UINT) {
        std::fprintf(stderr, "box: %s\n", text.c_str());
        return IDOK;
    });
    const std::string url = argv[1], target = argv[2];
    transfer::TransferBuffer buffer(argc == 4 ? std::atoi(argv[3]) : 32768);

    Stopwatch query;
    uint64_t size = 0;
    if (!transfer::GetRemoteFileSize(base::SilentReport(), url, size, 1, transfer::ExpectedLength::AsAnswered()))
        return 1;
    std::printf("size query alone: %.3f s\n", query.Seconds());

    ::DeleteFileA(target.c_str());
    transfer::TransferProgress progress;
    Stopwatch whole;
    if (!transfer::DownloadFileResumable(&progress, buffer, url, target, nullptr, 10,
                                         transfer::ExpectedLength::Exactly(size))) {
        std::fprintf(stderr, "download failed\n");
        return 1;
    }
    PrintRate("updater DownloadFileResumable", size, whole.Seconds());

    transfer::DiskFileSink sink;
    if (!sink.Open(target, transfer::DiskFileSink::Mode::CreateTruncate)) return 1;
    Stopwatch body;
    uint64_t received = 0;
    try {
        if (!transfer::HttpGetRange(nullptr, buffer, url, sink, size, received, 0, size - 1)) return 1;
    } catch (const transfer::TransferException& e) {
        std::fprintf(stderr, "body transfer failed: %s\n", e.message().c_str());
        return 1;
    }
    PrintRate("updater HttpGetRange body", received, body.Seconds());
    return 0;
}
