#include "app/vn_update_app.h"

#include <windows.h>
#include <commctrl.h>

#include "app/home_folder.h"
#include "app/main_dlg.h"
#include "app/relocation.h"
#include "app/updater_resources.h"
#include "base/machine_settings.h"
#include "base/message_box.h"
#include "base/module_path.h"
#include "base/updater_settings.h"
#include "install/home_tree.h"

namespace app {
namespace {

const char kInstanceMutexName[] = "ARKENFEL";
const char kTextAlreadyRunning[] = "자동 업데이터가 이미 실행 중입니다";

}  // namespace

int CVNUpdateApp::InitInstance() {
    UseUpdaterResources();
    const std::string modulePath = base::GetModulePath();
    const bool inPlace = IsInPlace(modulePath);
    // Before anything in the home folder is loaded, started or trusted.
    std::string notOwned;
    const bool homeOwned = inPlace && install::OwnHomeTree(base::GetModuleFolder(), notOwned) ==
                                          install::HomeTreeResult::kOwned;
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
    RunMainWindow(homeOwned);
    return 0;
}

bool CVNUpdateApp::AnotherInstanceRuns() {
    // The handle is kept open for the life of the process on purpose: the
    // named mutex marks this instance until it exits.
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    const DWORD error = ::GetLastError();
    if (mutex) ::ReleaseMutex(mutex);
    return error == ERROR_ALREADY_EXISTS;
}

void CVNUpdateApp::RunMainWindow(bool homeOwned) {
    CMainDlg dialog;
    dialog.DistrustHome(!homeOwned);
    dialog.DoModal();
    // A window closed early leaves the worker running on the window's state:
    // end the process here, as the run's owner goes away.
    if (dialog.WorkerRunning()) ::ExitProcess(0);
}

}  // namespace app
