#include "app/update_run.h"

#include <cmath>
#include <memory>
#include <string>

#include "base/ansi_text.h"
#include "base/link_guard.h"
#include "base/temporary_name.h"
#include "base/run_failure.h"
#include "base/machine_settings.h"
#include "base/module_path.h"
#include "base/updater_settings.h"
#include "discovery/download_updates.h"
#include "discovery/release_gate.h"
#include "discovery/release_record.h"
#include "discovery/staged_install.h"
#include "install/component_registration.h"
#include "install/firewall.h"
#include "install/post_update_script.h"
#include "install/process_launch.h"
#include "install/update_helper_file.h"
#include "release/staging_layout.h"

namespace app {
namespace {

const char kComponentList[] = "setup.bat";
const char kFirewallList[] = "firewall.ini";
const char kClientCommand[] = "Arkenfel.exe";

const char kTextRunningProgram[] = "실행 중인 프로그램이 있습니다.";
const char kTextListMissing[] = "업데이트 목록을 찾을 수 없습니다.";
const char kTextCopyFailed[] = "[%s] 파일을 업데이트할 수 없습니다. ";
const char kTextHelperFailed[] = "업데이트 헬퍼 추출에 실패했습니다.";
const char kTextUpToDate[] = "모든 파일이 최신 버전입니다.";
const char kTextCopying[] = "업데이트 파일 복사 중...";
const char kTextDone[] = "업데이트를 성공적으로 완료하였습니다.";
const char kTextRegistering[] = "라이브러리를 레지스트리에 등록하고 있습니다.";
const char kTextRetryLater[] = "\n종료 후 재시도 바랍니다!";

enum class PostInstall { UpToDate, AfterCopy, AfterFailure };

class UpdateRun {
public:
    UpdateRun(discovery::UpdateState& state, HWND window)
        : state_(state),
          window_(window),
          installFolder_(state.m_strInstallFolder),
          ownName_(state.m_strSelfFileName),
          report_(*state.report),
          stagedList_(state.StagedListPath()) {
        progress_.report = state.report;
        std::string installPath;
        sameFolder_ = base::ReadInstallPath(installPath) && !installPath.empty() &&
                      base::EqualsNoCase(installPath, installFolder_);
    }

    void Execute() {
        const discovery::DownloadResult result = discovery::DownloadUpdates(state_);
        runGate_ = discovery::GateOfThisRun(state_);
        try {
            switch (result) {
            case discovery::kFilesHeld:
                throw base::RunFailure{base::RunStage::kHeldFiles, 0, kTextRunningProgram};
            case discovery::kFailed:
            case discovery::kServerDisabled:
                StartClient();
                break;
            case discovery::kNothingToFetch:
                FinishUpToDate();
                break;
            case discovery::kFetched:
                InstallFetchedFiles();
                if (state_.m_bSelfUpdate)
                    HandOffToHelper();
                else
                    RunPostInstallSteps(PostInstall::AfterCopy);
                break;
            }
        } catch (base::RunFailure& failure) {
            ReportFailure(failure);
        }
        stagedList_.Delete();  // before the window may end the process
        ::PostMessageA(window_, UM_RUN_DONE, 0, 0);
    }

private:
    std::string InFolder(const char* name) const { return installFolder_ + name; }

    // What the installation steps may use: the files of the release verified
    // in this run, or everything in a build that checks no release.
    const install::FileGate& Gate() const { return runGate_ ? *runGate_ : install::OpenGate(); }

    // No release verified in this run: the client must be the one of the
    // release installed last.
    void StartClient() {
        const auto kept = discovery::GateOfKeptRelease(installFolder_, state_);
        install::StartProgram(kept ? *kept : install::OpenGate(), report_, installFolder_ + kClientCommand + " /run",
                              false);
    }

    void SetLabels(const char* fileName, const char* fileInfo, const char* status, const char* summary) {
        const WindowPart parts[] = {kFileNameLabel, kFileInfoLabel, kStatusLabel, kSummaryLabel};
        const char* texts[] = {fileName, fileInfo, status, summary};
        for (int i = 0; i < 4; ++i)
            if (texts[i]) report_.SetText(parts[i], texts[i]);
    }
    void ShowStatus(const char* text) { SetLabels("", "", text, ""); }

    void ClearEntryMaps() {
        state_.m_mapPending.clear();
        state_.m_mapFetched.clear();
        state_.m_trust.LetGoOfStaged();
    }

    void FinishUpToDate() {
        stagedList_.Delete();
        discovery::StoreReleaseRecord(state_);
        ShowStatus(kTextUpToDate);
        ClearEntryMaps();
        RunPostInstallSteps(PostInstall::UpToDate);
    }

    void InstallFetchedFiles() {
        if (::GetFileAttributesA(stagedList_.path().c_str()) == INVALID_FILE_ATTRIBUTES)
            throw base::RunFailure{base::RunStage::kCopy, 0, kTextListMissing};
        ShowStatus(kTextCopying);
        report_.SetBarRange(kFileProgressBar, 0, 100);

        uint32_t counter = 1;
        for (const auto& item : state_.m_mapFetched) {
            const release::ListEntry& entry = item.second;
            const std::string& name = entry.localPath;
            lastTarget_ = release::FullPath(entry, installFolder_);
            lastStaged_ = release::StagedName(lastTarget_);
            report_.SetText(kFileNameLabel, name);
            // However fast the copies go, each file's name stays readable in the label.
            ::Sleep(50);
            base::ClearForReplacing(lastTarget_);
            lastWasSelf_ = base::EqualsNoCase(name, ownName_);
            if (lastWasSelf_) {
                // The running executable cannot be overwritten: its staged copy
                // stays for the helper program, held from here on (a release's
                // copy through the handle the trust holds it by) so the helper
                // gets these bytes.
                const HANDLE held = state_.m_trust.HeldFor(entry.index);
                if (!(held ? install::HoldForHandOff(held, selfDigest_)
                           : install::HoldForHandOff(lastStaged_, selfDigest_)))
                    FailCopy(name);
                selfUpdatePending_ = true;
            } else if (!discovery::InstallStagedFile(state_, entry, lastStaged_, lastTarget_)) {
                FailCopy(name);
            }
            report_.SetBarPos(kTotalProgressBar, CopyPhasePosition(counter, state_.m_nFileCount));
            ++counter;
        }

        base::ClearForReplacing(state_.LocalListPath());
        // Every hand-off restarts the updater against the disk rather than the
        // old local list: compared with that list, a replaced skin would still
        // look changed and the restarted run would fetch it and hand off again,
        // without end.
        if (selfUpdatePending_ || state_.m_bSelfUpdate) base::DeleteName(state_.LocalListPath());
        if (selfUpdatePending_) base::WriteInstallPath(nullptr);
        stagedList_.Delete();
        // Only the updater's own files are in place after a hand-off's pass.
        if (!state_.m_bSelfUpdate) discovery::StoreReleaseRecord(state_);

        report_.SetBarPos(kFileProgressBar, 100);
        report_.SetBarPos(kTotalProgressBar, kFullBar);
        ShowStatus(kTextDone);
        ClearEntryMaps();
    }

    // The copy of the file the window names failed: the run's failure, with the system's error.
    [[noreturn]] void FailCopy(const std::string& name) const {
        base::RunFailure failure{base::RunStage::kCopy, ::GetLastError(),
                                 base::FormatText(kTextCopyFailed, lastTarget_.c_str())};
        failure.file = name;
        throw failure;
    }

    void HandOffToHelper() {
        const std::string helper = install::GetUpdateHelperPath();
        if (!install::PrepareUpdateHelper(report_, helper))
            throw base::RunFailure{base::RunStage::kHandOff, ::GetLastError(), kTextHelperFailed};
        // The helper moves and starts only the bytes whose SHA-256 it is given.
        std::string ownDigest;
        if (!lastWasSelf_ && !install::HoldForHandOff(base::GetModulePath(), ownDigest))
            throw base::RunFailure{base::RunStage::kHandOff, ::GetLastError(), kTextHelperFailed};
        const std::string arguments =
            lastWasSelf_ ? base::FormatText("\"%s\" \"%s\" %s", lastStaged_.c_str(), lastTarget_.c_str(),
                                            selfDigest_.c_str())
                         : base::FormatText("/restart \"%s\" %u 1 5000 %s", base::GetModulePath().c_str(),
                                            static_cast<unsigned>(::GetCurrentProcessId()), ownDigest.c_str());
        // The updater the helper starts knows no arguments: a repair goes on in it.
        if (state_.m_bRepair) base::WriteRepairPending(true);
        // A helper changed after it was written is not the one this program carries.
        if (!install::StartUpdateHelper(report_, helper, arguments))
            throw base::RunFailure{base::RunStage::kHandOff, ::GetLastError(), kTextHelperFailed};
    }

    // A stored one-time command replaces the post-install steps. True when one ran.
    bool StartStoredCommand() {
        std::string command;
        base::ReadRunOnce(command);
        if (command.empty()) return false;
        base::WriteRunOnce(nullptr);
        // An administrator gave it ("exec:"): it is run as it stands.
        install::StartProgram(install::OpenGate(), report_, command, false);
        return true;
    }

    void RunPostInstallSteps(PostInstall variant) {
        if (variant == PostInstall::UpToDate && StartStoredCommand()) return;
        ShowStatus(kTextRegistering);
        if (variant == PostInstall::AfterCopy && StartStoredCommand()) return;
        RegisterListedComponents();
        AddListedFirewallExceptions(variant != PostInstall::AfterCopy);
        install::RunPostUpdateScript(Gate(), report_);
    }

    // The instruction file's bytes as the gate let them be read (empty when
    // it could not be read). False when the gate refused it.
    bool ReadInstructions(const std::string& path, std::string& bytes) const {
        return Gate().ReadInstructions(path, bytes) != install::GateResult::kRefused;
    }

    void RegisterListedComponents() {
        const std::string setupPath = base::GetModuleFolder() + kComponentList;
        if (::GetFileAttributesA(setupPath.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        std::string list;
        if (ReadInstructions(setupPath, list)) {
            const install::StepResult registered =
                install::RegisterComponents(setupPath, list, Gate(), state_.m_mapUpdatedFiles, sameFolder_, &progress_);
            if (!registered)
                ShowStepFailure(registered);
            else if (!sameFolder_)
                base::WriteInstallPath(installFolder_.c_str());
        }
        base::DeleteName(setupPath);
    }

    void AddListedFirewallExceptions(bool showFailure) {
        const std::string listPath = base::GetModuleFolder() + kFirewallList;
        if (::GetFileAttributesA(listPath.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        std::string list;
        if (ReadInstructions(listPath, list)) {
            const install::StepResult entered = install::AddFirewallExceptions(listPath, list, &progress_);
            if (!entered && showFailure) ShowStepFailure(entered);
        }
        base::DeleteName(listPath);
    }

    // An installation step that failed says why in a plain box; the run goes on.
    void ShowStepFailure(const install::StepResult& step) { report_.ShowBox(step.text, MB_OK); }

    // The one place a failure of the run is shown: its text as the status,
    // and in the error box with the file it concerned and the advice to
    // retry later.
    void ReportFailure(base::RunFailure& failure) {
        const std::string fileText = base::Trim(failure.file);
        stagedList_.Delete();
        failure.box = failure.status;
        if (!fileText.empty()) failure.box += "\n(" + fileText + ")";
        failure.box += kTextRetryLater;
        report_.Failed(failure);
        ClearEntryMaps();
        if (!state_.m_bSelfUpdate) RunPostInstallSteps(PostInstall::AfterFailure);
    }

    discovery::UpdateState& state_;
    HWND window_;
    const std::string installFolder_;
    const std::string ownName_;
    base::RunReport& report_;  // what the run shows, and the answers it asks for
    bool sameFolder_ = false;
    bool selfUpdatePending_ = false;
    bool lastWasSelf_ = false;
    std::string lastTarget_;
    std::string lastStaged_;
    // The server's list this run staged: gone once the run has ended, however it ended.
    base::TemporaryName stagedList_;
    std::string selfDigest_;  // of the staged updater, held for the helper
    RegisterProgress progress_;
    std::unique_ptr<discovery::ReleaseGate> runGate_;
};

}  // namespace

int CopyPhasePosition(uint32_t counter, uint32_t fileCount) {
    if (fileCount == 0) return 100;
    return 90 - static_cast<int>(std::trunc((static_cast<double>(counter) / fileCount) * -10.0));
}

void RunUpdate(discovery::UpdateState& state, HWND window) { UpdateRun(state, window).Execute(); }

}  // namespace app
