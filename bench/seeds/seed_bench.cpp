// One pass of the fetch stage over the files of a release that the install
// folder lacks or holds otherwise, as an update run plans them: "blocks"
// fetches them as their list entries say (block indexes and the seeds they
// name), "whole" as if no file had an index. Like a run, it fetches the list
// first, untimed, so the files come over an open connection. The staged files stay for the
// script to compare and remove; the script counts the bytes the server sent.
// After a pass by blocks it measures what the platform allows for the same
// bytes: their SHA-256 in the search's blocks on two threads (every reused
// block is confirmed by it) and a plain copy of them.
// Usage: seed_bench.exe RELEASE_URL RELEASE_FOLDER INSTALL_FOLDER blocks|whole
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/message_box.h"
#include "base/run_failure.h"
#include "base/run_report.h"
#include "bench/bench_support.h"
#include "fetch/byte_ledger.h"
#include "fetch/fetch_context.h"
#include "fetch/planned_files.h"
#include "fetch/release_trust.h"
#include "fetch/server_files.h"
#include "release/entry_on_disk.h"
#include "release/list_file.h"
#include "release/staging_layout.h"
#include "release/strong_hash.h"

namespace {

// Every entry of the list whose installed copy is missing or differs.
release::EntryMap ChangedFiles(const std::string& listPath, const std::string& installFolder, bool whole,
                               uint64_t& bytes) {
    release::EntryMap plan;
    bytes = 0;
    for (const release::ListedEntry& listed : release::ReadListFile(listPath)) {
        release::ListEntry entry = listed.entry;
        if (!release::NeedsUpdateOnDisk(entry, release::FullPath(entry, installFolder))) continue;
        if (whole) entry.blockIndexSize = entry.indexSeeds = 0;
        bytes += entry.size;
        plan[entry.index] = entry;
    }
    return plan;
}

std::string ReadAll(const std::string& path) {
    std::string bytes(static_cast<size_t>(PlainRead(path)), '\0');
    const base::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    DWORD got = 0;
    for (size_t at = 0; file && at < bytes.size(); at += got)
        if (!::ReadFile(file.get(), &bytes[at], static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1 << 20)), &got,
                        nullptr) || got == 0)
            break;
    return bytes;
}

// The platform's SHA-256 over the files' bytes in blocks of 64 KiB, on two
// threads, each with its own provider as the search has.
double HashSeconds(const std::vector<std::string>& files) {
    std::vector<std::string> bytes;
    for (const std::string& path : files) bytes.push_back(ReadAll(path));
    const double start = Seconds();
    auto half = [&](int which) {
        const release::StrongHasher hasher;
        release::StrongHash strong;
        for (const std::string& file : bytes)
            for (size_t at = (which ? file.size() / 2 : 0) & ~size_t(0xFFFF), end = which ? file.size() : file.size() / 2;
                 at < end; at += 65536)
                hasher.Hash(file.data() + at, std::min<size_t>(65536, file.size() - at), strong);
    };
    std::thread second(half, 1);
    half(0);
    second.join();
    return Seconds() - start;
}

// A plain copy of each file in blocks of 256 KiB.
double CopySeconds(const std::vector<std::string>& files) {
    const double start = Seconds();
    std::unique_ptr<char[]> buffer(new char[256 * 1024]);
    for (const std::string& path : files) {
        const std::string copy = path + ".copy";
        {
            const base::UniqueFile from(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            const base::UniqueFile to(
                ::CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD got = 0, put = 0;
            while (::ReadFile(from.get(), buffer.get(), 256 * 1024, &got, nullptr) && got > 0)
                ::WriteFile(to.get(), buffer.get(), got, &put, nullptr);
        }
        ::DeleteFileA(copy.c_str());
    }
    return Seconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: seed_bench RELEASE_URL RELEASE_FOLDER INSTALL_FOLDER blocks|whole\n");
        return 2;
    }
    PrintBoxes();
    const std::string url = argv[1], listPath = std::string(argv[2]) + "\\" + release::kListFileName;
    const std::string install = std::string(argv[3]) + "\\", mode = argv[4];
    uint64_t planned = 0;
    const release::EntryMap plan = ChangedFiles(listPath, install, mode == "whole", planned);
    for (const auto& item : plan) {
        const std::string staged = release::StagedName(release::FullPath(item.second, install));
        ::DeleteFileA(staged.c_str());
        ::DeleteFileA(release::MarkerPath(staged).c_str());
    }
    fetch::ByteLedger bytes;
    fetch::ReleaseTrust trust = fetch::ReleaseTrust::WithoutKey();
    fetch::FetchContext context{url, install, base::SilentReport(), bytes, trust};
    // A run comes to its files with the connection open: it has just fetched the list.
    if (!fetch::FetchServerFile(context, release::kListFileName, fetch::kListCap)) {
        std::fprintf(stderr, "the list could not be fetched\n");
        return 1;
    }
    ::DeleteFileA(release::StagedName(install + release::kListFileName).c_str());
    bytes.Start(static_cast<uint32_t>(planned));
    release::EntryMap staged;
    const double start = Seconds();
    try {
        fetch::FetchPlannedFiles(context, plan, staged);
    } catch (const base::RunFailure&) {
        std::fprintf(stderr, "the fetch stage failed\n");
        return 1;
    }
    const double seconds = Seconds() - start;
    std::printf("RESULT mode=%s files=%u planned=%llu counted=%u seconds=%.2f\n", mode.c_str(),
                static_cast<unsigned>(plan.size()), static_cast<unsigned long long>(planned),
                static_cast<unsigned>(bytes.Total()), seconds);
    std::vector<std::string> files;
    for (const auto& item : plan) {
        files.push_back(release::StagedName(release::FullPath(item.second, install)));
        std::printf("STAGED %s\n", files.back().c_str());
    }
    if (mode == "blocks") std::printf("FLOOR hash=%.2f copy=%.2f\n", HashSeconds(files), CopySeconds(files));
    return staged.size() == plan.size() ? 0 : 1;
}
