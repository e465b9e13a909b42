// How much a server must deliver for an attempt to go on, and how long one
// update run waits in all for attempts that fail. An attempt that breaks the
// rule is broken off as a failed attempt with WinINet's time-out error; once
// a run has waited its patience away, no further request is made and the
// fetch in progress fails with its box.
#pragma once

#include <windows.h>

#include <cstdint>

namespace transfer {

struct ProgressRule {
    DWORD answerMs;        // the status line and headers must have come within this
    DWORD windowMs;        // after them, every window of this length ...
    uint32_t windowBytes;  // ... must bring at least this many bytes of the body
    DWORD runPatienceMs;   // waiting of failed attempts, summed over the run
};

// The rule this program keeps. Its one definition (progress_rule.cpp) is a
// library of its own; test builds link a shorter one ahead of it, so nothing
// at run time can change it.
const ProgressRule& TheProgressRule();

}  // namespace transfer
