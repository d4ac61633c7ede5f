#pragma once

// Automatic mode's state: off while the window is shown, counting minutes while it is
// minimised, checking while an automatic check runs. While it checks, the runs the user starts
// are refused.
class AutoCheckState {
public:
    enum class Phase { Off, Counting, Checking };

    bool busy() const { return phase_ == Phase::Checking; }

    // The window was minimised: minutes count from now.
    void start() { phase_ = Phase::Counting; }
    // The window is shown again. A check under way goes on to its end.
    void stop() {
        if (phase_ == Phase::Counting)
            phase_ = Phase::Off;
    }
    void beginCheck() { phase_ = Phase::Checking; }
    void endCheck() { phase_ = Phase::Counting; }

private:
    Phase phase_ = Phase::Off;
};
