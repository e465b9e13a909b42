// What the fetches of a run need to know of it: where the release lies,
// where its files go, what they report to, the byte counters and the
// trust that checks what comes. Discovery makes one when a run begins, on
// its run state; every stage of the run fetches through it.
#pragma once

#include <string>

#include "base/run_report.h"
#include "fetch/byte_ledger.h"
#include "fetch/release_trust.h"

namespace fetch {

struct FetchContext {
    // The release folder's URL, no "/" at its end, as the run knows it: the
    // gateway's choice of folder is appended to it once.
    const std::string& serverUrl;
    std::string installFolder;  // with a trailing "\"
    base::RunReport& report;
    ByteLedger& bytes;
    ReleaseTrust& trust;
    // Staged files left by earlier runs may have been changed by anyone:
    // without a signature to check them against they are fetched again.
    bool leftoversUntrusted = false;
    // A repair: the installed copy of a planned file is the same release's
    // file with damaged stretches, not an older one.
    bool repairs = false;
};

}  // namespace fetch
