#include "support/manual_clock.h"

class ManualClock::ManualTicker : public Ticker {
public:
    ManualTicker(ManualClock& clock, double seconds, std::function<void()> tick)
        : clock_(clock), seconds_(seconds), tick_(std::move(tick)) {
        clock_.tickers_.append(this);
    }
    ~ManualTicker() override { clock_.tickers_.removeOne(this); }
    ManualTicker(const ManualTicker&) = delete;
    ManualTicker& operator=(const ManualTicker&) = delete;

    void start() override {
        active_ = true;
        due_ = clock_.now_ + seconds_;
    }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }

    // Ticks once if the time has reached the next tick; the tick may stop or restart it.
    bool tickIfDue() {
        if (!active_ || due_ > clock_.now_)
            return false;
        due_ += seconds_;
        tick_();
        return true;
    }

private:
    ManualClock& clock_;
    double seconds_;
    std::function<void()> tick_;
    bool active_ = false;
    double due_ = 0;
};

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

std::unique_ptr<Ticker> ManualClock::ticker(const QString&, double seconds,
                                            std::function<void()> tick) {
    return std::make_unique<ManualTicker>(*this, seconds, std::move(tick));
}

void ManualClock::advance(double seconds) {
    now_ += seconds;
    // A copy: a tick may make or drop tickers.
    for (ManualTicker* ticker : QList<ManualTicker*>(tickers_))
        while (tickers_.contains(ticker) && ticker->tickIfDue()) {
        }
}
