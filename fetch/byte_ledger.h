// The run's byte counters, which the window reads for its overall bar, the
// rate and the time left. The worker changes them as the plan changes (a
// file fetched by its blocks, a file that comes again) and the window's
// progress handler counts received bytes down; nothing else writes them.
#pragma once

#include <atomic>
#include <cstdint>

namespace fetch {

class ByteLedger {
public:
    ByteLedger() = default;
    // A run state moved or copied outside a run takes the counts as they stand.
    ByteLedger(const ByteLedger& other) : m_nTotalBytes(other.Total()), m_nRemainingBytes(other.Remaining()) {}
    ByteLedger& operator=(const ByteLedger& other) {
        m_nTotalBytes = other.Total();
        m_nRemainingBytes = other.Remaining();
        return *this;
    }

    // A new count: `total` bytes to come, none received.
    void Start(uint32_t total);
    // A file's bytes come again after they were counted once.
    void CountAgain(uint32_t bytes);
    // A file of `wholeSize` is fetched by its blocks instead: the run counts
    // `indexSize` + `planned` bytes for it, of which `planned` are still to come.
    void FetchInstead(uint32_t wholeSize, uint32_t indexSize, uint32_t planned);
    // Received bytes, as the window's progress handler counts them. A report
    // with nothing counted yet takes `fileTotal` as the overall total.
    void Received(uint32_t chunk, uint32_t fileTotal);

    uint32_t Total() const { return m_nTotalBytes; }
    uint32_t Remaining() const { return m_nRemainingBytes; }
    uint32_t Done() const { return Total() - Remaining(); }

private:
    // Counted modulo 2^32. The window counts down while files in flight
    // change the plan from their own threads, so each counter changes in one
    // step; the window may read a total a file's change has not reached yet,
    // for one report.
    std::atomic<uint32_t> m_nTotalBytes{0};
    std::atomic<uint32_t> m_nRemainingBytes{0};
};

}  // namespace fetch
