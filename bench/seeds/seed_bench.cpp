// One pass of the fetch stage over the files of a release that the install
// folder lacks or holds otherwise, as an update run plans them: "blocks"
// fetches them as their list entries say (block indexes and the seeds they
// name), "whole" as if no file had an index. The staged files stay for the
// script to compare and remove; the script counts the bytes the server sent.
// Usage: seed_bench.exe RELEASE_URL RELEASE_FOLDER INSTALL_FOLDER blocks|whole
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/message_box.h"
#include "base/run_failure.h"
#include "base/run_report.h"
#include "bench/bench_support.h"
#include "fetch/byte_ledger.h"
#include "fetch/fetch_context.h"
#include "fetch/planned_files.h"
#include "fetch/release_trust.h"
#include "release/entry_on_disk.h"
#include "release/ini_reader.h"
#include "release/list_entry.h"
#include "release/staging_layout.h"

namespace {

// Every entry of the list whose installed copy is missing or differs.
release::EntryMap ChangedFiles(const std::string& listPath, const std::string& installFolder, bool whole,
                               uint64_t& bytes) {
    release::CIniReader reader(listPath);
    release::EntryMap plan;
    bytes = 0;
    const base::StringList sections = reader.GetIniSectionNames();
    for (const std::string& section : sections) {
        const base::StringList keys = reader.GetIniSectionKeys(section);
        for (const std::string& key : keys) {
            release::ListEntry entry;
            release::ParseListKey(key, entry);
            release::ParseListValue(reader.ReadIniValue(section, key), entry);
            if (!release::NeedsUpdateOnDisk(entry, release::FullPath(entry, installFolder))) continue;
            if (whole) entry.blockIndexSize = entry.indexSeeds = 0;
            entry.index = static_cast<int32_t>(plan.size());
            bytes += entry.size;
            plan[entry.index] = entry;
        }
    }
    return plan;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: seed_bench RELEASE_URL RELEASE_FOLDER INSTALL_FOLDER blocks|whole\n");
        return 2;
    }
    base::SetMessageBoxHandler([](const std::string& text, UINT) {
        std::fprintf(stderr, "box: %s\n", text.c_str());
        return IDOK;
    });
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
    bytes.Start(static_cast<uint32_t>(planned));
    fetch::ReleaseTrust trust = fetch::ReleaseTrust::WithoutKey();
    fetch::FetchContext context{url, install, base::SilentReport(), bytes, trust};
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
    for (const auto& item : plan)
        std::printf("STAGED %s\n", release::StagedName(release::FullPath(item.second, install)).c_str());
    return staged.size() == plan.size() ? 0 : 1;
}
