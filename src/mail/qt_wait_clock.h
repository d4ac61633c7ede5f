#pragma once

#include "mail/wait_clock.h"

#include <QElapsedTimer>

class QObject;

// The program's clock: a monotonic timer, and waits that sleep in the event loop until an event
// arrives or the deadline's timer fires, so a reply ends its wait at once and an idle wait costs
// no CPU. Its tickers are QTimers, children of `owner` when there is one, so they are found by
// name beside the owner's other timers.
class QtWaitClock : public WaitClock {
public:
    explicit QtWaitClock(QObject* owner = nullptr);

    double now() const override;
    bool waitUntil(const std::function<bool()>& done, double seconds) override;
    void yieldOnce() override;
    std::unique_ptr<Ticker> ticker(const QString& name, double seconds,
                                   std::function<void()> tick) override;

private:
    QElapsedTimer elapsed_;
    QObject* owner_;
};
