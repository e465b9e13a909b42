#include "discovery/download_updates.h"

#include "base/ansi_text.h"
#include "base/temporary_name.h"
#include "base/machine_settings.h"
#include "base/run_failure.h"
#include "base/command_line.h"
#include "base/run_report.h"
#include "discovery/compare_lists.h"
#include "discovery/download_stage.h"
#include "release/gateway.h"
#include "discovery/release_check.h"
#include "fetch/fetch_context.h"
#include "fetch/server_files.h"
#include "install/running_programs.h"
#include "base/local_files.h"
#include "release/staging_layout.h"
#include "transfer/internet_session.h"
#include "transfer/run_patience.h"

namespace discovery {
namespace {

void ShowStatus(const UpdateState& state, const char* text) {
    state.report->SetText(kStatusLabel, text);
}

[[noreturn]] void Fail(base::RunStage stage, const char* status) { throw base::RunFailure{stage, 0, status}; }

// Fetches the gateway file and appends "/" + the chosen version folder to
// the server URL, once the folder (and the channel, the gateway key that
// named it) is known.
void SelectVersionFolder(UpdateState& state, fetch::FetchContext& context, const std::string& gatewayKey,
                         integrity::ReleaseWanted& wanted) {
    ShowStatus(state, "최종 버전을 가져오고 있습니다...");
    if (!fetch::FetchServerFile(context, release::kGatewayFileName, fetch::kGatewayCap))
        Fail(base::RunStage::kGateway, "최종 버전을 가져오는 데 실패했습니다!");
    base::TemporaryName copy(release::StagedName(state.m_strInstallFolder + release::kGatewayFileName));
    ShowStatus(state, "최종 버전을 확인하고 있습니다...");
    std::string text;
    if (!base::ReadFileToString(copy.path(), text)) {
        state.report->SetText(kFileNameLabel, copy.path());
        Fail(base::RunStage::kGateway, "최종 버전 확인에 실패했습니다!");
    }
    copy.Delete();
    // Without a line for the key, any folder would be a guess: requesting the
    // list below the whole gateway text can never succeed.
    if (!release::ParseGateway(text, wanted.folder, gatewayKey, &wanted.channel))
        Fail(base::RunStage::kGateway, "최종 버전 확인에 실패했습니다!");
    state.m_strServerUrl += "/" + wanted.folder;
}

// The run from the gateway to the staged files; every failure on the way is
// thrown.
DownloadResult Discover(UpdateState& state, fetch::FetchContext& context, const std::string& gatewayKey) {
    integrity::ReleaseWanted wanted;
    SelectVersionFolder(state, context, gatewayKey, wanted);

    ShowStatus(state, "업데이트 목록을 가져오고 있습니다...");
    if (!fetch::FetchServerFile(context, release::kListFileName, fetch::kListCap))
        Fail(base::RunStage::kList, "업데이트 목록을 가져오는 데 실패했습니다!");
    if (state.m_trust.Checks()) VerifyServerRelease(state, context, wanted);
    ShowStatus(state, "업데이트 대상을 확인하고 있습니다...");
    state.m_bytes.Start(CompareLists(state));
    if (state.m_trust.Checks()) KeepReleaseFiles(state);
    state.m_nFileCount = static_cast<uint32_t>(state.m_mapPending.size());
    if (state.m_bytes.Total() == 0 || state.m_nFileCount == 0) return kNothingToFetch;

    RestrictToSelfFiles(state);
    if (install::WaitForFilesFree(PendingFilePaths(state), *state.report) > 0) return kFilesHeld;
    CheckRoomForPendingFiles(state);
    DownloadPendingFiles(state, context);
    return kFetched;
}

}  // namespace

DownloadResult DownloadUpdates(UpdateState& state) {
    std::string key;
    base::GetCommandLineValue("jisacd:", key);
    std::string anyValue;
    // Asked for, or left to this run by a repair that handed off to the helper.
    const bool pending = base::TakeRepairPending();
    state.m_bRepair = base::GetCommandLineValue(kRepairOption, anyValue) || pending;
    return DownloadUpdates(state, BuiltInServerUrl(), key);
}

DownloadResult DownloadUpdates(UpdateState& state, const std::string& serverUrl, const std::string& gatewayKey) {
    transfer::BeginRunPatience();
    BeginTrust(state);
    state.m_bytes.Start(0);
    state.m_strServerUrl = base::Trim(serverUrl);
    if (state.m_strServerUrl.compare(0, 2, "//") == 0) state.m_strServerUrl.clear();
    if (state.m_strServerUrl.empty()) {
        state.report->SetText(kFileNameLabel, "서버 점검 중!");
        ShowStatus(state, "서버 점검으로 스킵합니다!");
        return kServerDisabled;
    }
    // Every request of the run goes through this one session, so that
    // WinINet can keep its connection from file to file.
    const transfer::RunSession session;
    // What every fetch of the run needs of it, made once.
    fetch::FetchContext context{state.m_strServerUrl, state.m_strInstallFolder, *state.report,  state.m_bytes,
                                state.m_trust,        state.m_bHomeUntrusted,    state.m_bRepair};
    try {
        return Discover(state, context, gatewayKey);
    } catch (const base::RunFailure& failure) {
        state.report->Failed(failure);
        return kFailed;
    }
}

}  // namespace discovery
