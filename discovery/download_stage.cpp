#include "discovery/download_stage.h"

#include "base/ansi_text.h"
#include "base/run_failure.h"
#include "base/run_report.h"
#include "base/format_size.h"
#include "fetch/disk_space.h"
#include "fetch/planned_files.h"
#include "release/staging_layout.h"

namespace discovery {
namespace {

const char kSkinFile[] = "styles\\Vantero.cjstyles";
const char kTextNoRoom[] = "디스크 공간이 부족하여 업데이트를 받을 수 없습니다.";
const char kTextRoomFigures[] = "\n[%s] 필요한 공간: %s, 남은 공간: %s\n공간을 확보한 뒤 다시 실행해 주십시오.";

bool IsSelfFile(const UpdateState& state, const std::string& localPath) {
    const std::string name = base::ToLowerAnsi(localPath);
    return name == base::ToLowerAnsi(kSkinFile) || name == base::ToLowerAnsi(state.m_strSelfFileName);
}

// When the fetches end, however they end, every file staged so far is
// noted as updated.
class NoteUpdatedFiles {
public:
    explicit NoteUpdatedFiles(UpdateState& state) : state_(state) {}
    ~NoteUpdatedFiles() {
        for (const auto& item : state_.m_mapFetched)
            state_.m_mapUpdatedFiles[item.second.localPath] = item.second.localPath;
    }
    NoteUpdatedFiles(const NoteUpdatedFiles&) = delete;
    NoteUpdatedFiles& operator=(const NoteUpdatedFiles&) = delete;

private:
    UpdateState& state_;
};

}  // namespace

void RestrictToSelfFiles(UpdateState& state) {
    state.m_bSelfUpdate = FALSE;
    const release::EntryMap pending = state.m_mapPending;
    uint32_t total = state.m_bytes.Total();
    for (const auto& item : pending) {
        const release::ListEntry& entry = item.second;
        if (!IsSelfFile(state, entry.localPath)) continue;
        if (!state.m_bSelfUpdate) {
            state.m_bSelfUpdate = TRUE;
            state.m_mapPending.clear();
            total = state.m_nFileCount = 0;
        }
        state.m_mapPending[item.first] = entry;
        total += entry.size;
        ++state.m_nFileCount;
    }
    state.m_bytes.Start(total);
}

base::StringList PendingFilePaths(const UpdateState& state) {
    base::StringList paths;
    for (const auto& item : state.m_mapPending) {
        const release::ListEntry& entry = item.second;
        if (base::EqualsNoCase(entry.localPath, state.m_strSelfFileName)) continue;
        paths.push_back(release::FullPath(entry, state.m_strInstallFolder));
    }
    return paths;
}

void CheckRoomForPendingFiles(const UpdateState& state) {
    fetch::SpaceShortfall shortfall;
    if (fetch::PlanFits(state.m_mapPending, state.m_strInstallFolder, shortfall)) return;
    throw base::RunFailure{base::RunStage::kFetch, ERROR_DISK_FULL, kTextNoRoom,
                           kTextNoRoom + base::FormatText(kTextRoomFigures, shortfall.folder.c_str(),
                                                          base::FormatSize(shortfall.needed).c_str(),
                                                          base::FormatSize(shortfall.free).c_str())};
}

void DownloadPendingFiles(UpdateState& state, fetch::FetchContext& context) {
    state.report->SetBarRange(kTotalProgressBar, 0, kFullBar);
    state.report->SetBarPos(kTotalProgressBar, 0);
    state.m_bytes.StartClock();
    // Every file staged counts as updated, also when a later one fails.
    const NoteUpdatedFiles noteUpdated(state);
    fetch::FetchPlannedFiles(context, state.m_mapPending, state.m_mapFetched);
}

}  // namespace discovery
