#include "support/manual_clock.h"

bool ManualClock::waitUntil(const std::function<bool()>& done, double seconds) {
    const double start = now_;
    while (!done()) {
        if (now_ - start > seconds)
            return false;
        yieldOnce();
    }
    return true;
}

void ManualClock::yieldOnce() {
    ++yields;
    if (events_.isEmpty()) {
        now_ += step;
        return;
    }
    // Dequeued first: the event may itself yield.
    const std::function<void()> event = events_.dequeue();
    event();
}
