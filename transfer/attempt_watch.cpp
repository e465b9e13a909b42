#include "transfer/attempt_watch.h"

namespace transfer {

void AttemptWatch::Sent() {
    sent_ = true;
    sentAt_ = lastPaced_ = ::GetTickCount();
}

DWORD AttemptWatch::AnswerMsLeft() const {
    const DWORD waited = Since(sentAt_);
    return waited >= rule_.answerMs ? 0 : rule_.answerMs - waited;
}

void AttemptWatch::Answered() { StartWindow(); }

void AttemptWatch::StartWindow() {
    windowStart_ = ::GetTickCount();
    windowBytes_ = 0;
}

void AttemptWatch::Received(uint64_t bytes) {
    windowBytes_ += bytes;
    if (windowBytes_ >= rule_.windowBytes) lastPaced_ = ::GetTickCount();
}

DWORD AttemptWatch::WindowMsLeft() const {
    const DWORD elapsed = Since(windowStart_);
    return elapsed >= rule_.windowMs ? 0 : rule_.windowMs - elapsed;
}

bool AttemptWatch::KeepsPace() {
    if (WindowMsLeft() > 0) return true;
    if (windowBytes_ < rule_.windowBytes) return false;
    StartWindow();
    return true;
}

DWORD AttemptWatch::IdleMs() const { return Since(lastPaced_); }

}  // namespace transfer
