#include "transfer/run_patience.h"

#include <atomic>
#include <cstdint>

#include "transfer/progress_rule.h"

namespace transfer {
namespace {

std::atomic<uint64_t> g_spentMs{0};

}  // namespace

void BeginRunPatience() { g_spentMs = 0; }

bool RunPatienceLeft() { return g_spentMs < TheProgressRule().runPatienceMs; }

void SpendRunPatience(DWORD milliseconds) { g_spentMs += milliseconds; }

}  // namespace transfer
