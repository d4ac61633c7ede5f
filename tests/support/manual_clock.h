#pragma once

#include "mail/wait_clock.h"

#include <QList>
#include <QQueue>

// A clock for tests whose time moves only by hand and by yields: each yield runs the next
// queued event (at the same moment) or, when none is queued, lets `step` seconds pass. A
// minute's time-out thus passes in a few hundred yields, at once. Tickers fire as advance()
// moves the time past their next tick.
class ManualClock : public WaitClock {
public:
    double step = 0.25;
    int yields = 0;

    ManualClock() = default;
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    double now() const override { return now_; }
    bool waitUntil(const std::function<bool()>& done, double seconds) override;
    void yieldOnce() override;
    std::unique_ptr<Ticker> ticker(const QString& name, double seconds,
                                   std::function<void()> tick) override;

    void advance(double seconds);
    // Runs `event` at a coming yield, after the events queued before it.
    void atNextYield(std::function<void()> event) { events_.enqueue(std::move(event)); }
    qsizetype pendingEvents() const { return events_.size(); }

private:
    class ManualTicker;

    double now_ = 0;
    QQueue<std::function<void()>> events_;
    QList<ManualTicker*> tickers_;
};
