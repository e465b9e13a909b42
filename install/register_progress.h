// Keeps the registration progress context current for the registration and
// firewall steps, and tells the main window after every item.
#pragma once

#include <cstdint>

#include "base/window_protocol.h"

namespace install {

// Counters start at 0 of `count`; nothing happens without a window.
void BeginProgress(RegisterProgress* progress, size_t count);
// One more item done; sends UM_REGISTER_PROGRESS (lParam = the context) so
// the window shows it before the next item starts.
void AdvanceProgress(RegisterProgress* progress);

}  // namespace install
