// The CPU time automatic mode costs between checks on the real event loop: the program's
// Timer2 ticking once a minute for the given minutes (10 unless the first argument says
// otherwise), next to a bare event loop with one idle timer of the same interval. The two run
// one after the other, so the whole run takes twice the minutes. Prints figures.
#include "mail/mail_runs.h"
#include "mail/qt_socket_control.h"
#include "mail/qt_wait_clock.h"
#include "mail/recording_observer.h"
#include "review/message_table.h"
#include "store/global.h"
#include "support/scripted_platform.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int DefaultMinutes = 10;
constexpr int MinuteMs = 60000;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The CPU seconds the event loop uses while it runs for `minutes` of wall time.
double idleFor(int minutes) {
    QEventLoop loop;
    QTimer::singleShot(minutes * MinuteMs, &loop, &QEventLoop::quit);
    const double before = cpuSeconds();
    loop.exec();
    return cpuSeconds() - before;
}

// The program's way: automatic mode started as on minimising, with the next check beyond the
// measured minutes.
double automaticMode(const QString& dataFolder, int minutes) {
    Global global;
    global.setUpDataFolder(dataFolder);
    global.loadAll();
    global.settings[setting::CheckEveryMins] = QString::number(minutes + 1);
    QtSocketControl socket;
    QtWaitClock clock;
    ScriptedPlatform platform;
    MessageTable table;
    RecordingObserver observer;
    MailRuns runs(socket, clock, platform, global, table, observer);
    runs.automatic().start();
    return idleFor(minutes);
}

// The plain peer: one idle timer of the same interval that does nothing.
double plainTimer(int minutes) {
    QTimer timer;
    timer.setInterval(MinuteMs);
    QObject::connect(&timer, &QTimer::timeout, [] {});
    timer.start();
    return idleFor(minutes);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int minutes =
        argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : DefaultMinutes;
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "No temporary folder\n");
        return 1;
    }
    const double program = automaticMode(home.path(), minutes);
    const double peer = plainTimer(minutes);
    std::printf("CPU seconds in %d minutes between checks\n", minutes);
    std::printf("  automatic mode (Timer2): %.4f\n", program);
    std::printf("  bare QEventLoop + QTimer: %.4f\n", peer);
    std::printf("  ratio: %.2f\n", peer > 0 ? program / peer : 0.0);
    return 0;
}
