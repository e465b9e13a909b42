// CompareLists over generated lists whose files are all present and current,
// at two sizes ten times apart, with and without a local list. The cost must
// grow linearly: the larger run may take at most 12 times as long.
// Usage: list_bench.exe WORK_FOLDER [SMALL_COUNT]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/local_files.h"
#include "bench/bench_support.h"
#include "discovery/compare_lists.h"
#include "release/file_identity.h"
#include "release/ini_reader.h"
#include "release/list_entry.h"

namespace {

constexpr int kSections = 4;
constexpr int kFilesPerFolder = 100;
// Best of several runs: the machine is shared and single runs are noisy.
constexpr int kRounds = 3;

// An install folder with `count` files, 100 to a folder as in a real client,
// and a server list that describes them exactly in kSections sections.
// Returns the list text.
std::string MakeInstallFolder(const std::string& folder, int count) {
    ::CreateDirectoryA(folder.c_str(), nullptr);
    std::string list;
    for (int i = 0; i < count; ++i) {
        if (i % (count / kSections) == 0 && i / (count / kSections) < kSections)
            list += "[Section" + std::to_string(i / (count / kSections)) + "]\r\n";
        const std::string sub = "d" + std::to_string(i / kFilesPerFolder);
        if (i % kFilesPerFolder == 0) ::CreateDirectoryA((folder + sub).c_str(), nullptr);
        const std::string name = sub + "\\file" + std::to_string(i) + ".dat";
        const std::string content = "content of file " + std::to_string(i * 7919) + "\r\n";
        if (!base::WriteStringToFile(folder + name, content)) {
            std::fprintf(stderr, "cannot write %s\n", (folder + name).c_str());
            std::exit(2);
        }
        char fingerprint[17] = {};
        release::ComputeFingerprint(folder + name, fingerprint);
        list += "remote/" + sub + "/file" + std::to_string(i) + ".dat|" + name + "=|" +
                std::to_string(content.size()) + "|" + fingerprint + "|\r\n";
    }
    base::WriteStringToFile(folder + "Arkenfel_List.ini_", list);
    return list;
}

// The list part of the comparison alone: every entry of the server list read
// and looked up in the local list, without the checks of the files on disk
// (whose cost is the file system's).
double TimeListReading(const std::string& folder) {
    const double start = Seconds();
    release::CIniReader server(folder + "Arkenfel_List.ini_");
    release::CIniReader local(folder + "Arkenfel_List.ini");
    size_t entries = 0;
    for (const std::string& section : base::StringList(server.GetIniSectionNames())) {
        for (const std::string& key : base::StringList(server.GetIniSectionKeys(section, "="))) {
            release::ListEntry entry;
            release::ParseListKey(key, entry);
            release::ParseListValue(server.ReadIniValue(section, key), entry);
            release::ParseListValue(local.ReadIniValue(section, key), entry);
            ++entries;
        }
    }
    const double elapsed = Seconds() - start;
    if (entries == 0) std::exit(2);
    return elapsed;
}

double TimeComparison(const std::string& folder, uint32_t& total, size_t& pending) {
    discovery::UpdateState state;
    state.m_strInstallFolder = folder;
    const double start = Seconds();
    total = discovery::CompareLists(state);
    const double elapsed = Seconds() - start;
    pending = state.m_mapPending.size();
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: list_bench WORK_FOLDER [SMALL_COUNT]\n");
        return 2;
    }
    std::string work = argv[1];
    if (work.back() != '\\') work += '\\';
    const int small = argc > 2 ? std::atoi(argv[2]) : 2000;
    if (small < kSections) {
        std::fprintf(stderr, "SMALL_COUNT must be at least %d\n", kSections);
        return 2;
    }
    const int counts[2] = {small, small * 10};
    ::CreateDirectoryA(work.c_str(), nullptr);

    double times[2][2] = {};  // [size][with local list]
    double listTimes[2] = {};
    for (int n = 0; n < 2; ++n) {
        const std::string folder = work + "n" + std::to_string(counts[n]) + "\\";
        const std::string list = MakeInstallFolder(folder, counts[n]);
        for (int withLocal = 0; withLocal < 2; ++withLocal) {
            const std::string localList = folder + "Arkenfel_List.ini";
            if (withLocal)
                base::WriteStringToFile(localList, list);
            else
                ::DeleteFileA(localList.c_str());
            uint32_t total = 0;
            size_t pending = 0;
            TimeComparison(folder, total, pending);  // warm the caches once
            times[n][withLocal] = 1e30;
            for (int round = 0; round < kRounds; ++round) {
                const double elapsed = TimeComparison(folder, total, pending);
                if (elapsed < times[n][withLocal]) times[n][withLocal] = elapsed;
            }
            if (withLocal) {
                listTimes[n] = 1e30;
                for (int round = 0; round < kRounds; ++round) {
                    const double elapsed = TimeListReading(folder);
                    if (elapsed < listTimes[n]) listTimes[n] = elapsed;
                }
            }
            if (pending != 0) {
                std::fprintf(stderr, "%d entries: %u files pending, expected none\n", counts[n],
                             static_cast<unsigned>(pending));
                return 1;
            }
        }
    }
    bool linear = true;
    for (int withLocal = 0; withLocal < 2; ++withLocal) {
        const double ratio = times[1][withLocal] / times[0][withLocal];
        linear = linear && ratio <= 12.0;
        std::printf("CompareLists %s local list, best of %d: %d entries %.3f s, %d entries %.3f s, ratio %.2f (limit 12)\n",
                    withLocal ? "with   " : "without", kRounds, counts[0], times[0][withLocal], counts[1],
                    times[1][withLocal], ratio);
    }
    const double listRatio = listTimes[1] / listTimes[0];
    linear = linear && listRatio <= 12.0;
    std::printf("list reading alone, best of %d: %d entries %.3f s, %d entries %.3f s, ratio %.2f (limit 12)\n",
                kRounds, counts[0], listTimes[0], counts[1], listTimes[1], listRatio);
    return linear ? 0 : 1;
}
