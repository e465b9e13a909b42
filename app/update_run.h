// One update run, from discovery to the final UM_RUN_DONE, on the worker
// thread. Everything it shows (labels, bars, boxes, the retry dialog) goes to
// the state's report; from the window it only reads back the file label and
// the total bar's range, and it posts exactly one UM_RUN_DONE on every path.
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
