#pragma once

#include <QtGlobal>

// Automatic mode's state: off while the window is shown, counting minutes while it is
// minimised, checking while an automatic check runs. While it checks, the runs the user starts
// are refused.
class AutoCheckState {
public:
    enum class Phase { Off, Counting, Checking };

    bool busy() const { return phase_ == Phase::Checking; }

    // The window was minimised: minutes count from now.
    void start() {
        minimised_ = true;
        if (phase_ != Phase::Checking)
            count();
    }
    // The window is shown again. A check under way goes on to its end.
    void stop() {
        minimised_ = false;
        if (phase_ == Phase::Counting)
            phase_ = Phase::Off;
    }
    // One minute has passed: true when this minute completes `everyMins` since counting began.
    bool tick(qint64 everyMins) {
        if (phase_ != Phase::Counting)
            return false;
        ticks_ = (ticks_ + 1) % everyMins;
        return ticks_ == 0;
    }
    // A check that is due but cannot run now comes at the next tick.
    void postpone() { ticks_ = -1; }
    void beginCheck() { phase_ = Phase::Checking; }
    // Counting starts afresh while the window is still minimised; otherwise automatic mode is off.
    // True when it counts.
    bool endCheck() {
        phase_ = Phase::Off;
        if (minimised_)
            count();
        return minimised_;
    }

private:
    void count() {
        phase_ = Phase::Counting;
        ticks_ = 0;
    }

    Phase phase_ = Phase::Off;
    qint64 ticks_ = 0;
    bool minimised_ = false;
};
