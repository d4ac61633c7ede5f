#pragma once

// One dialogue at a time: whether a run, or a window that changes what the runs use, is under
// way. Runs and such windows hold the gate while they work; the automatic check waits for its
// next tick while it is held, and the main window greys every command that would start
// another dialogue. Holds nest: the automatic check holds it across its own Get mail and
// Process.
class RunGate {
public:
    bool underWay() const { return holds_ > 0; }
    // True when this is the first hold.
    bool enter() { return holds_++ == 0; }
    // True when this was the last hold.
    bool leave() { return holds_ > 0 && --holds_ == 0; }

    // A hold for the life of a scope.
    class Hold {
    public:
        explicit Hold(RunGate& gate) : gate_(gate) { gate_.enter(); }
        ~Hold() { gate_.leave(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        RunGate& gate_;
    };

private:
    int holds_ = 0;
};
