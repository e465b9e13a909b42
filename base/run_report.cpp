#include "base/run_report.h"

#include "base/message_box.h"

namespace base {

int RunReport::ShowBox(const std::string& text, UINT type) { return ShowMessageBox(text, type); }

void RunReport::ShowError(const std::string& text) { ShowErrorBox(text); }

void RunReport::Failed(const RunFailure& failure) {
    if (!failure.status.empty()) SetText(kStatusLabel, failure.status);
    if (!failure.box.empty()) ShowError(failure.box);
}

RunReport& SilentReport() {
    static RunReport silent;
    return silent;
}

RunReport& ReportOf(const TransferProgress* progress) {
    return progress && progress->report ? *progress->report : SilentReport();
}

}  // namespace base
