// What the stages of an update run show the player, reported to one
// interface: label texts, progress bars, the bytes of a transfer, the items
// of a registration, the files running programs hold, the boxes and the
// run's failures. The main window implements it with its own synchronous
// calls; the silent report shows no progress and asks nobody, but still
// shows its boxes (a tool, a bench, code outside a run). The records a stage
// keeps current while it works live here too.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/run_failure.h"
#include "base/split_string.h"
#include "base/window_protocol.h"

namespace base {
class RunReport;
}  // namespace base

// The registration progress: the current item and the item count.
// Registration and the firewall step keep the counters current.
struct RegisterProgress {
    base::RunReport* report = nullptr;  // null: nothing is reported
    int32_t current = 0;
    int32_t count = 0;
};

namespace base {

struct TransferProgress;

// Counts the bytes of a reported transfer for the run before they are shown
// (the run's byte ledger, fetch/byte_ledger.h), and gives the record the
// run's figures.
class ProgressCounter {
public:
    virtual void Count(TransferProgress& progress) = 0;

protected:
    ~ProgressCounter() = default;
};

// The progress of the current file of a transfer. The stage owns it and
// keeps it alive while it reports it.
struct TransferProgress {
    RunReport* report = nullptr;  // null: nothing is reported
    ProgressCounter* counter = nullptr;  // null: the bytes count for no run
    uint64_t lastChunk = 0;  // bytes this report is about
    uint64_t done = 0;       // bytes of the current file present so far
    uint64_t remaining = 0;  // bytes of the current request still to come
    uint64_t total = 0;      // size of the current file
    // The run's bytes as its counter counted them before this report: the
    // window shows them and counts nothing itself.
    uint32_t runTotal = 0;
    uint32_t runRemaining = 0;
    DWORD runStartTick = 0;  // GetTickCount when the run's downloads began
};

class RunReport {
public:
    virtual ~RunReport() = default;
    // These show nothing here; the window's report overrides them.
    virtual void SetText(WindowPart /*label*/, const std::string& /*text*/) {}
    virtual void SetBarRange(WindowPart /*bar*/, int /*lower*/, int /*upper*/) {}
    virtual void SetBarPos(WindowPart /*bar*/, int /*position*/) {}
    // A block of the current file arrived (or a staged file counts whole).
    virtual void Transferred(TransferProgress& /*progress*/) {}
    // One more item registered (the firewall step counts on the same record).
    virtual void Registered(RegisterProgress& /*progress*/) {}
    // Running programs hold files the run must replace: true when the player
    // has closed them and the run is to look again. Nobody is asked here.
    virtual bool RetryHeldFiles(const StringList& /*inUse*/) { return false; }
    // A box of a stage (a script line that cannot be run, a program that
    // would not start, a step that failed), on the caller's thread and owned
    // by the main window: the button pressed.
    virtual int ShowBox(const std::string& text, UINT type);
    // The error box: the main window brought forward, then the system-modal
    // box with the stop icon (base::kErrorBoxType, base/message_box.h).
    virtual void ShowError(const std::string& text);
    // A failure of the run: its status text, then its error box.
    void Failed(const RunFailure& failure);
};

// The report that shows no progress and asks nobody; its boxes it shows.
RunReport& SilentReport();

// The report a progress record names; the silent one when it names none.
RunReport& ReportOf(const TransferProgress* progress);

// Passes on to another report only what asks the player something or tells
// of a failure (the boxes, the held files) and drops the progress: for the
// fetches whose bytes the window does not count.
class ProgressFreeReport : public RunReport {
public:
    explicit ProgressFreeReport(RunReport& to) : to_(to) {}
    bool RetryHeldFiles(const StringList& inUse) override { return to_.RetryHeldFiles(inUse); }
    int ShowBox(const std::string& text, UINT type) override { return to_.ShowBox(text, type); }
    void ShowError(const std::string& text) override { to_.ShowError(text); }

private:
    RunReport& to_;
};

}  // namespace base
