#include "mail/qt_wait_clock.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

// A longer wait simply re-arms its timer.
constexpr double MaxTimerSeconds = 86400;

class QtTicker : public Ticker {
public:
    QtTicker(QObject* owner, const QString& name, double seconds, std::function<void()> tick)
        : timer_(new QTimer(owner)) {
        timer_->setObjectName(name);
        timer_->setInterval(static_cast<int>(std::lround(seconds * 1000.0)));
        QObject::connect(timer_, &QTimer::timeout, timer_, std::move(tick));
    }
    ~QtTicker() override { delete timer_; }
    QtTicker(const QtTicker&) = delete;
    QtTicker& operator=(const QtTicker&) = delete;

    void start() override {
        if (timer_)
            timer_->start();
    }
    void stop() override {
        if (timer_)
            timer_->stop();
    }
    bool isActive() const override { return timer_ && timer_->isActive(); }

private:
    // Guarded: an owner that goes first takes its child timer with it.
    QPointer<QTimer> timer_;
};

} // namespace

QtWaitClock::QtWaitClock(QObject* owner) : owner_(owner) {
    elapsed_.start();
}

double QtWaitClock::now() const {
    return static_cast<double>(elapsed_.nsecsElapsed()) / 1e9;
}

bool QtWaitClock::waitUntil(const std::function<bool()>& done, double seconds) {
    const double start = now();
    // Only wakes the loop at the deadline; a precise timer, as a coarse one may fire early.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    while (!done()) {
        const double remaining = seconds - (now() - start);
        // The wait ends only once more than `seconds` have passed.
        if (remaining < 0)
            return false;
        if (!deadline.isActive())
            deadline.start(
                static_cast<int>(std::ceil(std::min(remaining, MaxTimerSeconds) * 1000.0)) + 1);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void QtWaitClock::yieldOnce() {
    QCoreApplication::processEvents();
}

std::unique_ptr<Ticker> QtWaitClock::ticker(const QString& name, double seconds,
                                            std::function<void()> tick) {
    return std::make_unique<QtTicker>(owner_, name, seconds, std::move(tick));
}
