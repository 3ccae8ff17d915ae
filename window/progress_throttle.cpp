#include "progress_throttle.h"

void ProgressThrottle::SetMaximum(uint32_t maximum) {
    maximum_ = maximum;
    hasShown_ = false;
    hasPending_ = false;
}

bool ProgressThrottle::Move(uint32_t position) {
    const uint32_t step = maximum_ / 1000 > 0 ? maximum_ / 1000 : 1;
    if (!hasShown_ || position == 0 || position >= maximum_ || position < shown_ ||
        position - shown_ >= step) {
        shown_ = position;
        hasShown_ = true;
        hasPending_ = false;
        return true;
    }
    pending_ = position;
    hasPending_ = true;
    return false;
}

bool ProgressThrottle::TakePending(uint32_t& position) {
    if (!hasPending_) return false;
    position = pending_;
    shown_ = pending_;
    hasPending_ = false;
    return true;
}

bool ProgressThrottle::MessagesDue(Clock::time_point now) {
    if (!forced_ && now - lastRun_ < kMessageInterval) return false;
    forced_ = false;
    lastRun_ = now;
    return true;
}
