// What the fetches of a run need to know of it: where the release lies,
// where its files go, the window they report to, the byte counters and the
// trust that checks what comes. Discovery makes one from its run state.
#pragma once

#include <windows.h>

#include <string>

#include "fetch/byte_ledger.h"
#include "fetch/release_trust.h"

namespace fetch {

struct FetchContext {
    std::string serverUrl;      // the release folder's URL, no "/" at its end
    std::string installFolder;  // with a trailing "\"
    HWND window;                // the main window, or null (no labels, bars or reports)
    ByteLedger& bytes;
    ReleaseTrust& trust;
};

}  // namespace fetch
