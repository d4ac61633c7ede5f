#include "mail/qt_wait_clock.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

// A longer wait simply re-arms its timer.
constexpr double MaxTimerSeconds = 86400;

} // namespace

QtWaitClock::QtWaitClock() {
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
