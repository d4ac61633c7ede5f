#pragma once

#include <functional>

// Waits, timers and the clock of the mail runs. The program's clock yields to the Qt event
// loop and sleeps while nothing arrives; tests inject a clock whose time they move by hand.
class WaitClock {
public:
    virtual ~WaitClock() = default;

    // Seconds elapsed since an arbitrary origin, with fractions.
    virtual double now() const = 0;

    // Yields to the event loop until `done` returns true or `seconds` have passed since the
    // call, sleeping while nothing happens. Returns done().
    virtual bool waitUntil(const std::function<bool()>& done, double seconds) = 0;

    // Lets pending events run once (the program's DoEvents).
    virtual void yieldOnce() = 0;
};
