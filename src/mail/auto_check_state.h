#pragma once

// Automatic mode's state: whether a check started by the automatic mode is under way. While
// it is, the runs the user starts are refused.
class AutoCheckState {
public:
    bool busy() const { return busy_; }
    void beginCheck() { busy_ = true; }
    void endCheck() { busy_ = false; }

private:
    bool busy_ = false;
};
