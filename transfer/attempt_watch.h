// One attempt measured against the progress rule: its answer must come in
// time, then every window must bring its bytes. It also knows how long the
// attempt has waited without keeping pace, which is what a failed attempt
// costs the run's patience. Internal to the transfer layer.
#pragma once

#include <windows.h>

#include <cstdint>

#include "transfer/progress_rule.h"

namespace transfer {

class AttemptWatch {
public:
    AttemptWatch() : rule_(TheProgressRule()) {}

    void Sent();
    DWORD AnswerMsLeft() const;
    void Answered();
    void Received(uint64_t bytes);
    // Milliseconds until the current window ends (0 when it has).
    DWORD WindowMsLeft() const;
    // False when a window has ended short of its bytes; a window that has
    // ended with them gives way to the next.
    bool KeepsPace();
    // Since the attempt was sent, or since it last kept pace.
    DWORD IdleMs() const;
    bool sent() const { return sent_; }

private:
    static DWORD Since(DWORD tick) { return ::GetTickCount() - tick; }
    void StartWindow();

    const ProgressRule& rule_;
    bool sent_ = false;
    DWORD sentAt_ = 0;
    DWORD windowStart_ = 0;
    uint64_t windowBytes_ = 0;
    DWORD lastPaced_ = 0;
};

}  // namespace transfer
