// What the stages of an update run show the player, reported to one
// interface: label texts, progress bars, the bytes of a transfer, the items
// of a registration, the files running programs hold and the run's failures. The main window implements it with its own
// synchronous calls; a stage that reports to the silent report shows
// nothing (in tests, or for fetches that report nothing). The records a
// stage keeps current while it works live here too.
#pragma once

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

// The progress of the current file of a transfer. The stage owns it and
// keeps it alive while it reports it.
struct TransferProgress {
    RunReport* report = nullptr;  // null: nothing is reported
    uint64_t lastChunk = 0;  // bytes this report is about
    uint64_t done = 0;       // bytes of the current file present so far
    uint64_t remaining = 0;  // bytes of the current request still to come
    uint64_t total = 0;      // size of the current file
};

class RunReport {
public:
    virtual ~RunReport() = default;
    // Each shows nothing here; the window's report overrides them all.
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
    // A failure of the run: its status text, then its error box (shown on
    // the caller's thread, the main window brought forward first). The
    // silent report shows the box as well: a failure is never swallowed.
    virtual void Failed(const RunFailure& failure);
};

// The report that shows nothing.
RunReport& SilentReport();

}  // namespace base
