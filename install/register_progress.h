// Keeps the registration progress context current for the registration and
// firewall steps, and reports every item.
#pragma once

#include <cstdint>

#include "base/run_report.h"

namespace install {

// Counters start at 0 of `count`; nothing happens without a report.
void BeginProgress(RegisterProgress* progress, size_t count);
// One more item done, reported before the next item starts.
void AdvanceProgress(RegisterProgress* progress);

}  // namespace install
