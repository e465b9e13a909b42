#include "app/updater_resources.h"

#include "install/program_resources.h"
#include "res/resource.h"

namespace app {

void UseUpdaterResources() {
    install::ProgramResources resources;
    resources.filesInUseDialog = IDD_NOTIFY_DIALOG;
    resources.filesInUseList = IDC_FILES_IN_USE;
    resources.retryButton = IDC_RETRY;
    resources.carriedHelper = IDR_HELPER_BIN;
    install::UseProgramResources(resources);
}

}  // namespace app
