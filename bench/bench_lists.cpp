// Saves 10000 blacklist entries from the lists editor, then reloads the list file and opens the
// editor on it again, as the user does. Prints both figures, the best of a few rounds.
#include "store/global.h"
#include "ui/qt_platform.h"
#include "windows/lists_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Entries = 10000;
constexpr int Rounds = 3;

QStringList addresses() {
    QStringList entries;
    for (int i = 0; i < Entries; ++i)
        entries
            << QStringLiteral("sender%1@Spam-Domain%2.example").arg(i * 7919 % Entries).arg(i % 97);
    return entries;
}

double milliseconds(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    QtPlatform platform;
    Global global;
    global.setUpDataFolder(home.path());
    double bestSave = 1e9;
    double bestOpen = 1e9;
    qsizetype shown = 0;
    for (int round = 0; round < Rounds; ++round) {
        global.blacklist.setEntries(addresses());
        ListsWindow editor(global, platform);
        QElapsedTimer timer;
        timer.start();
        editor.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        bestSave = std::min(bestSave, milliseconds(timer));

        timer.restart();
        global.blacklist.load(global.DataFolder);
        ListsWindow reopened(global, platform);
        bestOpen = std::min(bestOpen, milliseconds(timer));
        shown = reopened.findChild<QListWidget*>(QStringLiteral("List1"))->count();
    }
    std::printf("lists editor, %d blacklist entries: Save %.1f ms; reload and reopen %.1f ms "
                "(%lld entries shown)\n",
                Entries, bestSave, bestOpen, static_cast<long long>(shown));
    return shown == Entries ? 0 : 1;
}
