// The waiting that failed attempts have cost the update run so far, against
// the run's patience (TheProgressRule). One run per process: discovery begins
// it; tests begin one per case.
#pragma once

#include <windows.h>

namespace transfer {

void BeginRunPatience();
bool RunPatienceLeft();
void SpendRunPatience(DWORD milliseconds);

}  // namespace transfer
