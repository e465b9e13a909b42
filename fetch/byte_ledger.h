// The run's byte counters behind the window's overall bar, the rate and the
// time left. The worker changes them as the plan changes (a file fetched by
// its blocks, a file that comes again) and counts received bytes down as
// their reports pass (transfer::ReportProgress); nothing else writes them.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "base/run_report.h"

namespace fetch {

class ByteLedger : public base::ProgressCounter {
public:
    ByteLedger() = default;
    // A run state moved or copied outside a run takes the counts as they stand.
    ByteLedger(const ByteLedger& other)
        : m_nTotalBytes(other.Total()), m_nRemainingBytes(other.Remaining()), m_dwStartTick(other.StartTick()) {}
    ByteLedger& operator=(const ByteLedger& other) {
        m_nTotalBytes = other.Total();
        m_nRemainingBytes = other.Remaining();
        m_dwStartTick = other.StartTick();
        return *this;
    }

    // A new count: `total` bytes to come, none received.
    void Start(uint32_t total);
    // A file's bytes come again after they were counted once.
    void CountAgain(uint32_t bytes);
    // A file of `wholeSize` is fetched by its blocks instead: the run counts
    // `indexSize` + `planned` bytes for it, of which `planned` are still to come.
    void FetchInstead(uint32_t wholeSize, uint32_t indexSize, uint32_t planned);
    // Received bytes, counted as they are reported. A report with nothing
    // counted yet takes `fileTotal` as the overall total.
    void Received(uint32_t chunk, uint32_t fileTotal);
    // The downloads begin now: the rate is measured from here.
    void StartClock();
    // A report of the run's transfers: its bytes received, and the run's
    // figures as they now stand for the window to show.
    void Count(base::TransferProgress& progress) override;

    uint32_t Total() const { return m_nTotalBytes; }
    uint32_t Remaining() const { return m_nRemainingBytes; }
    uint32_t Done() const { return Total() - Remaining(); }
    DWORD StartTick() const { return m_dwStartTick; }

private:
    // Counted modulo 2^32. One lane counts down while files in flight change
    // the plan from their own threads, so each counter changes in one step; a
    // report may carry a total a file's change has not reached yet.
    std::atomic<uint32_t> m_nTotalBytes{0};
    std::atomic<uint32_t> m_nRemainingBytes{0};
    DWORD m_dwStartTick = 0;  // GetTickCount when the downloads begin
};

}  // namespace fetch
