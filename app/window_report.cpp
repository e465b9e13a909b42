#include "app/window_report.h"

#include "app/window_parts.h"
#include "install/running_programs.h"

namespace app {

void WindowReport::SetText(WindowPart label, const std::string& text) { app::SetControlText(window_, label, text); }

void WindowReport::SetBarRange(WindowPart bar, int lower, int upper) { app::SetBarRange(window_, bar, lower, upper); }

void WindowReport::SetBarPos(WindowPart bar, int position) { app::SetBarPos(window_, bar, position); }

void WindowReport::Transferred(base::TransferProgress& progress) {
    if (window_) ::SendMessageA(window_, UM_TRANSFER_PROGRESS, 0, reinterpret_cast<LPARAM>(&progress));
}

void WindowReport::Registered(RegisterProgress& progress) {
    if (window_) ::SendMessageA(window_, UM_REGISTER_PROGRESS, 0, reinterpret_cast<LPARAM>(&progress));
}

bool WindowReport::RetryHeldFiles(const base::StringList& inUse) { return install::AskWithRetryDialog(inUse); }

}  // namespace app
