#include "app/vn_update_app.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "app/desktop_shortcut.h"
#include "app/home_folder.h"
#include "app/main_dlg.h"
#include "app/updater_resources.h"
#include "base/held_file.h"
#include "base/machine_settings.h"
#include "base/message_box.h"
#include "base/module_path.h"
#include "base/updater_settings.h"
#include "discovery/release_record.h"
#include "install/home_tree.h"
#include "integrity/built_in_roots.h"
#include "integrity/release_verification.h"
#include "transfer/directories.h"

namespace app {
namespace {

const char kInstanceMutexName[] = "ARKENFEL";
const char kShortcutName[] = "아르켄펠";
const char kTextAlreadyRunning[] = "자동 업데이터가 이미 실행 중입니다";

// An existing copy in the home folder is started as it is when the release
// installed there last has it, or when no release has verified on this
// machine yet; otherwise it is no copy a release put there. `held` keeps a
// copy found good unchanged until it has been started.
bool ExistingCopyIsVouchedFor(const std::string& folder, const std::string& copy, base::UniqueFile& held) {
    discovery::ReleaseFiles files;
    switch (discovery::LoadReleaseRecord(folder, integrity::BuiltInRoots().threshold != 0, files)) {
    case discovery::ReleaseRecord::kNone:
        held = base::OpenHeldFile(copy);
        return true;
    case discovery::ReleaseRecord::kUnreadable:
        return false;
    case discovery::ReleaseRecord::kLoaded:
        break;
    }
    const integrity::SignedFile* release = files.Find(copy);
    if (!release) return false;
    held = base::OpenHeldFile(copy);
    return held && integrity::OpenFileMatches(held.get(), *release);
}

}  // namespace

int CVNUpdateApp::InitInstance() {
    UseUpdaterResources();
    const std::string modulePath = base::GetModulePath();
    const bool inPlace = IsInPlace(modulePath);
    // Before anything in the home folder is loaded, started or trusted.
    if (inPlace) OwnHome(base::GetModuleFolder());
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    if (!inPlace) {
        Relocate(modulePath);
        return 0;
    }
    if (AnotherInstanceRuns()) {
        base::ShowErrorBox(kTextAlreadyRunning);
        return 0;
    }
    base::StoreExecArgument();
    RunMainWindow();
    return 0;
}

// Relocation is silent: whatever fails, the process simply ends.
void CVNUpdateApp::Relocate(const std::string& modulePath) {
    const std::string folder = HomeFolderFor(modulePath);
    transfer::CreateDirectories(folder);
    // A folder made at a drive root (or one someone made there before) would
    // let every user change what the elevated copy runs.
    OwnHome(folder);
    const std::string target = folder + kRelocatedName;
    const bool existedBefore = ::PathFileExistsA(target.c_str()) != FALSE;
    base::UniqueFile held;
    // A good existing copy is never overwritten; it is started as it is.
    if (!existedBefore || !ExistingCopyIsVouchedFor(folder, target, held)) {
        held.reset();
        ::CopyFileA(modulePath.c_str(), target.c_str(), !existedBefore);
        held = base::OpenHeldFile(target);
    }
    if (!existedBefore) {
        base::WriteInstallPath(nullptr);
        CreateDesktopShortcut(target, kShortcutName);
    }
    ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CVNUpdateApp::OwnHome(const std::string& folder) {
    homeTree_ = install::OwnHomeTree(folder, homeTreeFailedPath_);
}

bool CVNUpdateApp::AnotherInstanceRuns() {
    // The handle is kept open for the life of the process on purpose: the
    // named mutex marks this instance until it exits.
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    const DWORD error = ::GetLastError();
    if (mutex) ::ReleaseMutex(mutex);
    return error == ERROR_ALREADY_EXISTS;
}

void CVNUpdateApp::RunMainWindow() {
    CMainDlg dialog;
    dialog.DoModal();
    // A window closed early leaves the worker running on the window's state:
    // end the process here, as the run's owner goes away.
    if (dialog.WorkerRunning()) ::ExitProcess(0);
}

}  // namespace app
