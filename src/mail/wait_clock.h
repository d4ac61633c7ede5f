#pragma once

#include <QString>
#include <functional>
#include <memory>

// A timer of the clock that calls its tick every interval until it is stopped.
class Ticker {
public:
    virtual ~Ticker() = default;

    // Counts the interval from now.
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

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

    // A timer, stopped at first, that calls `tick` every `seconds` once started. `name` names
    // it for whoever looks for it (the program's timers are found by name).
    virtual std::unique_ptr<Ticker> ticker(const QString& name, double seconds,
                                           std::function<void()> tick) = 0;
};
