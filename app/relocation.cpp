#include "app/relocation.h"

#include <windows.h>
#include <shlwapi.h>

#include "app/desktop_shortcut.h"
#include "app/home_folder.h"
#include "base/ansi_text.h"
#include "base/held_file.h"
#include "base/link_guard.h"
#include "base/local_files.h"
#include "base/run_report.h"
#include "base/system_error.h"
#include "base/updater_settings.h"
#include "discovery/download_updates.h"
#include "discovery/release_record.h"
#include "install/file_gate.h"
#include "install/home_tree.h"
#include "install/process_launch.h"
#include "integrity/built_in_roots.h"
#include "integrity/release_verification.h"

namespace app {
namespace {

const char kShortcutName[] = "아르켄펠";
// Beside the game's own: the updater closes by itself after its run, so a
// player looks for a repair where he starts the game.
const char kRepairShortcutName[] = "아르켄펠 복구";
const char kTextCopyFailed[] = "자동 업데이터를 %s(으)로 복사할 수 없습니다.\n%s";
const char kTextNotVouched[] = "%s\n확인되지 않은 파일이므로 실행하지 않습니다.";

// Admits the home copy alone, and only while it is vouched for: read through
// the handle that holds it until the copy has started.
class HomeCopyGate : public install::FileGate {
public:
    HomeCopyGate(std::string folder, std::string copy, std::string running)
        : folder_(std::move(folder)), copy_(std::move(copy)), running_(std::move(running)) {}

    install::GateResult Admit(const std::string& path, base::UniqueFile& held) const override {
        if (!base::EqualsNoCase(path, copy_)) return install::GateResult::kRefused;
        held = base::OpenHeldFile(path);
        if (!held) return install::GateResult::kMissing;
        if (Vouches(held.get())) return install::GateResult::kAdmitted;
        held.reset();
        base::SilentReport().ShowError(base::FormatText(kTextNotVouched, path.c_str()));
        return install::GateResult::kRefused;
    }

    install::GateResult ReadInstructions(const std::string&, std::string&) const override {
        return install::GateResult::kRefused;
    }

    // The held copy is this very program, or the updater of the release
    // this machine installed last (its record pinned by the machine).
    bool Vouches(HANDLE held) const {
        std::string bytes;
        if (!running_.empty() && base::ReadHeldFile(held, bytes) && bytes == running_) return true;
        discovery::ReleaseFiles files;
        if (discovery::LoadReleaseRecord(folder_, integrity::BuiltInRoots().threshold != 0, files) !=
            discovery::ReleaseRecord::kLoaded)
            return false;
        const integrity::SignedFile* release = files.Find(copy_);
        return release && integrity::OpenFileMatches(held, *release);
    }

    bool VouchesForCopy() const {
        const base::UniqueFile held = base::OpenHeldFile(copy_);
        return held && Vouches(held.get());
    }

private:
    std::string folder_, copy_, running_;
};

std::string RunningProgram(const std::string& modulePath) {
    std::string bytes;
    const base::UniqueFile held = base::OpenHeldFile(modulePath);
    if (!held || !base::ReadHeldFile(held.get(), bytes)) bytes.clear();
    return bytes;
}

void ShowCopyFailure(const std::string& target, DWORD error) {
    base::SilentReport().ShowError(
        base::FormatText(kTextCopyFailed, target.c_str(), base::SystemErrorText(error).c_str()));
}

}  // namespace

void Relocate(const std::string& modulePath) {
    const std::string folder = HomeFolderFor(modulePath);
    const std::string target = folder + kRelocatedName;
    if (!base::MakeFolders(folder)) return ShowCopyFailure(target, ::GetLastError());
    // Made now or by someone before: the tree is made the administrators'
    // before anything in it is looked at. What could not be put right is
    // not trusted: only this very program, or the kept release's, is started.
    std::string notOwned;
    install::OwnHomeTree(folder, notOwned);
    const bool existedBefore = ::PathFileExistsA(target.c_str()) != FALSE;
    const HomeCopyGate gate(folder, target, RunningProgram(modulePath));
    if ((!existedBefore || !gate.VouchesForCopy()) && !base::CopyFileWithRetry(modulePath, target))
        return ShowCopyFailure(target, ::GetLastError());
    if (!existedBefore) {
        base::WriteInstallPath(nullptr);
        CreateDesktopShortcut(target, kShortcutName);
        CreateDesktopShortcut(target, kRepairShortcutName, discovery::kRepairOption);
    }
    install::StartProgram(gate, base::SilentReport(), "\"" + target + "\"", false);
}

}  // namespace app
