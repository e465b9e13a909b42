#include "app/vn_update_app.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "app/desktop_shortcut.h"
#include "app/home_folder.h"
#include "app/main_dlg.h"
#include "base/message_box.h"
#include "base/module_path.h"
#include "base/updater_settings.h"
#include "transfer/directories.h"

namespace app {
namespace {

const char kInstanceMutexName[] = "ARKENFEL";
const char kShortcutName[] = "아르켄펠";
const char kTextAlreadyRunning[] = "자동 업데이터가 이미 실행 중입니다";

}  // namespace

int CVNUpdateApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    const std::string modulePath = base::GetModulePath();
    if (!IsInPlace(modulePath)) {
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
    const std::string target = folder + kRelocatedName;
    const bool existedBefore = ::PathFileExistsA(target.c_str()) != FALSE;
    // An existing copy is never overwritten; it is started as it is.
    ::CopyFileA(modulePath.c_str(), target.c_str(), TRUE);
    if (!existedBefore) {
        base::WriteInstallPath(nullptr);
        CreateDesktopShortcut(target, kShortcutName);
    }
    ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
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
