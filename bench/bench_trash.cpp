// Opens the Trash browser on a Trash folder of 30000 copies and prints how long the window
// takes from its creation to the end of its scan (read, sort, fill, first copy shown), the best
// of a few rounds. Then sorts the same copies newest first both ways: the program's stable
// sort and a plain insertion sort of neighbouring swaps, and prints their ratio.
#include "review/trash_list.h"
#include "store/global.h"
#include "ui/grid_view.h"
#include "ui/qt_platform.h"
#include "windows/trash_browser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Copies = 30000;
constexpr int Days = 400;
constexpr int Rounds = 3;

double milliseconds(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

void fillTrash(const QString& folder) {
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < Copies; ++i) {
        QFile copy(QStringLiteral("%1/Email%2.eml").arg(folder).arg(i));
        copy.open(QIODevice::WriteOnly);
        copy.write(QStringLiteral("Received: from mx.example\r\nFrom: \"Sender %1\" <s%1@spam."
                                  "example>\r\nSubject: Offer number %1\r\n\r\nBuy now.\r\n")
                       .arg(i)
                       .toLatin1());
        copy.flush();
        copy.setFileTime(now.addDays(-(i * 7919 % Days)), QFileDevice::FileModificationTime);
    }
}

// The plain way: for each copy, swap it towards the front while its neighbour is older.
void insertionSort(QList<TrashList::Copy>& copies) {
    for (qsizetype i = 1; i < copies.size(); ++i)
        for (qsizetype j = i; j > 0 && copies[j - 1].day < copies[j].day; --j)
            std::swap(copies[j - 1], copies[j]);
}

QList<TrashList::Copy> copiesOf(const QString& folder) {
    QList<TrashList::Copy> copies;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files, QDir::Name))
        copies.append({info.lastModified().date(), QString(), QString(), info.fileName()});
    return copies;
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
    fillTrash(global.TrashFolder);

    double bestOpen = 1e9;
    QString newest;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        TrashBrowser browser(global, platform);
        browser.show();
        browser.Timer1_Timer();
        bestOpen = std::min(bestOpen, milliseconds(timer));
        newest =
            browser.findChild<GridView*>(QStringLiteral("MSFlexGrid1"))->grid().TextMatrix(1, 0);
    }
    std::printf("Trash browser, %d copies: open and scan %.1f ms (newest %s)\n", Copies, bestOpen,
                qPrintable(newest));

    const QList<TrashList::Copy> listed = copiesOf(global.TrashFolder);
    QList<TrashList::Copy> ours = listed, plain = listed;
    QElapsedTimer timer;
    timer.start();
    sortNewestFirst(ours);
    const double oursMs = milliseconds(timer);
    timer.restart();
    insertionSort(plain);
    const double plainMs = milliseconds(timer);
    const bool same = std::equal(ours.begin(), ours.end(), plain.begin(), plain.end(),
                                 [](const auto& a, const auto& b) { return a.file == b.file; });
    std::printf("sort of %d copies newest first: stable sort %.2f ms, insertion sort %.1f ms, "
                "%.0f times faster%s\n",
                Copies, oursMs, plainMs, plainMs / oursMs, same ? "" : " (ORDERS DIFFER)");
    return same ? 0 : 1;
}
