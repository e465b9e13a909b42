#include "base/run_report.h"

#include "base/message_box.h"

namespace base {

void RunReport::Failed(const RunFailure& failure) {
    if (!failure.status.empty()) SetText(kStatusLabel, failure.status);
    if (!failure.box.empty()) ShowErrorBox(failure.box);
}

RunReport& SilentReport() {
    static RunReport silent;
    return silent;
}

}  // namespace base
