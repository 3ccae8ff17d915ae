#pragma once
// Keeps the progress bar and the message runs of a long transfer cheap. A routine reports
// its position once per chunk and lets messages run once per chunk; the bar moves only when
// the position has changed by a thousandth of the range (or reaches an end, or goes back),
// and pending messages run at most every 10 ms unless something the user must see changed.
// Nothing is lost: the position not yet shown stays pending until it is flushed.
#include <chrono>
#include <cstdint>

class ProgressThrottle {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kMessageInterval{10};

    // A new range: the next position is shown whatever it is.
    void SetMaximum(uint32_t maximum);
    // True when the bar should show position now; otherwise it stays pending.
    bool Move(uint32_t position);
    // The pending position, if there is one; it counts as shown afterwards.
    bool TakePending(uint32_t& position);
    // Something the next message run must paint (a status text, a log line).
    void Force() { forced_ = true; }
    // True when pending messages should run now.
    bool MessagesDue(Clock::time_point now);

private:
    uint32_t maximum_ = 0;
    uint32_t shown_ = 0;
    uint32_t pending_ = 0;
    bool hasShown_ = false;
    bool hasPending_ = false;
    bool forced_ = true;
    Clock::time_point lastRun_{};
};
