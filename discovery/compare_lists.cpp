#include "discovery/compare_lists.h"

#include <memory>
#include <vector>

#include "base/unique_handle.h"
#include "base/run_report.h"
#include "release/ini_reader.h"
#include "discovery/repair_compare.h"
#include "discovery/update_rules.h"
#include "release/entry_on_disk.h"
#include "release/staging_layout.h"

namespace discovery {


namespace {

release::ListEntry ReadEntry(release::CIniReader& list, const std::string& section, const std::string& key) {
    release::ListEntry entry;
    release::ParseListKey(key, entry);
    release::ParseListValue(list.ReadIniValue(section, key), entry);
    return entry;
}

bool NeedsUpdate(const release::ListEntry& server, release::CIniReader* localList, const std::string& section,
                 const std::string& key, const std::string& fullPath) {
    if (!localList) return release::NeedsUpdateOnDisk(server, fullPath);
    release::ListEntry local = ReadEntry(*localList, section, key);
    local.localPath = fullPath;
    return NeedsUpdateByList(server, local);
}

}  // namespace

bool FileExistsInInstallFolder(const UpdateState& state, const std::string& name) {
    base::UniqueFile file(::CreateFileA((state.m_strInstallFolder + name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

uint32_t CompareLists(UpdateState& state) {
    // A repair, and a list anyone may have written, compare nothing with the
    // local list: every file is compared with the disk instead. With a
    // release key a repair reads every file whole (repair_compare.h).
    const bool hasLocalList = !state.m_bRepair && !state.m_bHomeUntrusted &&
                              FileExistsInInstallFolder(state, release::kListFileName);
    const bool checksContents = state.m_bRepair && state.m_trust.Checks();
    state.m_mapPending.clear();
    state.m_mapFetched.clear();
    state.m_trust.LetGoOfStaged();
    uint32_t count = 0;
    uint32_t total = 0;
    const auto plan = [&](release::ListEntry entry) {
        entry.index = static_cast<int32_t>(count);
        state.m_mapPending[entry.index] = entry;
        total += entry.size == 0 ? 1 : entry.size;
        ++count;
    };
    std::vector<release::ListEntry> toCheck;

    release::CIniReader serverList(state.StagedListPath());
    std::unique_ptr<release::CIniReader> localList;
    if (hasLocalList) localList.reset(new release::CIniReader(state.LocalListPath()));

    const base::StringList sections = serverList.GetIniSectionNames();
    for (const std::string& section : sections) {
        const base::StringList keys = serverList.GetIniSectionKeys(section, "=");
        state.report->SetBarRange(kFileProgressBar, 0, static_cast<int>(keys.size()));
        state.report->SetBarPos(kFileProgressBar, 0);
        int step = 0;
        for (const std::string& key : keys) {
            release::ListEntry entry = ReadEntry(serverList, section, key);
            const std::string fullPath = release::FullPath(entry, state.m_strInstallFolder);
            if (checksContents)
                toCheck.push_back(entry);
            else if (NeedsUpdate(entry, localList.get(), section, key, fullPath))
                plan(entry);
            state.report->SetBarPos(kFileProgressBar, ++step);
        }
    }
    if (checksContents) {
        const std::vector<bool> damaged = FindDamagedFiles(state, toCheck);
        for (size_t i = 0; i < toCheck.size(); ++i)
            if (damaged[i]) plan(toCheck[i]);
    }
    state.report->SetBarRange(kFileProgressBar, 0, 100);
    state.report->SetBarPos(kFileProgressBar, 100);
    return total;
}

}  // namespace discovery
