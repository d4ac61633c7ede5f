#pragma once

#include "mail/wait_clock.h"

#include <QElapsedTimer>

// The program's clock: a monotonic timer, and waits that sleep in the event loop until an event
// arrives or the deadline's timer fires, so a reply ends its wait at once and an idle wait costs
// no CPU.
class QtWaitClock : public WaitClock {
public:
    QtWaitClock();

    double now() const override;
    bool waitUntil(const std::function<bool()>& done, double seconds) override;
    void yieldOnce() override;

private:
    QElapsedTimer elapsed_;
};
