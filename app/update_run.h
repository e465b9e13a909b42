// One update run, from discovery to the final UM_RUN_DONE, on the worker
// thread. It changes the window only through the window handle (labels, bars,
// synchronous messages) and posts exactly one UM_RUN_DONE on every path.
#pragma once

#include <windows.h>

#include <cstdint>

#include "discovery/update_state.h"

namespace app {

// The worker body. `state` belongs to the main window, which waits in its
// modal loop while the worker fills and reads it.
void RunUpdate(discovery::UpdateState& state, HWND window);

// Total-bar position after the counter-th of fileCount copies: the copy
// phase moves the bar from 90 to 100.
int CopyPhasePosition(uint32_t counter, uint32_t fileCount);

}  // namespace app
