// The run's report as the main window shows it: label texts and bar
// positions set on the window's controls, and the transfer and registration
// records sent to the window's own handlers with SendMessage, so the worker
// waits until the window has shown them. Its boxes are every report's
// (base/message_box: owned by the main window, on the worker thread); the
// retry dialog is the updater's own.
#pragma once

#include <windows.h>

#include "base/run_report.h"

namespace app {

class WindowReport : public base::RunReport {
public:
    // Until then the report shows nothing.
    void Attach(HWND window) { window_ = window; }

    void SetText(WindowPart label, const std::string& text) override;
    void SetBarRange(WindowPart bar, int lower, int upper) override;
    void SetBarPos(WindowPart bar, int position) override;
    void Transferred(base::TransferProgress& progress) override;
    void Registered(RegisterProgress& progress) override;
    // The retry dialog, modal on the worker thread.
    bool RetryHeldFiles(const base::StringList& inUse) override;

private:
    HWND window_ = nullptr;
};

}  // namespace app
