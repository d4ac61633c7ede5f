#include "main_window_rig.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class TestMainLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A pass snaps a small window to the minimum size and places the controls that follow it.
    void layoutPass() {
        Started s;
        QVERIFY(s.startShown());
        s.window->resize(300, 200);
        s.window->Timer1_Timer();
        const QSize outer = s.window->windowTwips();
        for (const auto& [twips, least] : {std::pair{outer.width(), 9600}, {outer.height(), 7200}})
            QVERIFY2(twips >= least && twips < least + 15, qPrintable(QString::number(twips)));

        s.window->resize(800, 640);
        s.window->Timer1_Timer();
        // Frame 4 px and caption 22 px at 15 twips a pixel: frame 60, bar 390 twips.
        // Outer 800*15+120 = 12120 wide, 640*15+450 = 10050 high.
        const int textTop = 10050 - 60 - 390 - 60 - 2055 - 300;
        QCOMPARE(s.find<QWidget>("Text1")->geometry(),
                 QRect(2820 / 15, textTop / 15, (12120 - 120 - 2820) / 15, 2055 / 15));
        QCOMPARE(s.accounts()->geometry().top(), (textTop + 300) / 15);
        const int gridWidth = 12120 - 120;
        QCOMPARE(s.find<QWidget>("MSFlexGrid1")->geometry(),
                 QRect(0, 780 / 15, gridWidth / 15, (textTop - 780 - 60) / 15));
        // usable = 12000 - 240 - 90 = 11670
        QCOMPARE(s.window->messageTable().grid().ColWidth(col::From), 2918);
        QCOMPARE(s.window->messageTable().grid().ColWidth(col::Reason), 4668);
        QCOMPARE(s.window->messageTable().grid().ColWidth(col::Size), 443);
        // The progress bar starts at 60 twips and crosses the track less 120.
        QCOMPARE(MainLayout::progressBarWidth(3735, 0, 0), 60);
        QCOMPARE(MainLayout::progressBarWidth(3735, 1, 2), 1807);
        QCOMPARE(MainLayout::progressBarWidth(3735, 2, 2), 3615);
    }

    void burstOfResizesRunsOnePass() {
        Started s;
        QVERIFY(s.startShown());
        auto* timer = s.find<QTimer>("Timer1");
        QSignalSpy passes(timer, &QTimer::timeout);
        QTest::qWait(300); // let the start-up resize settle
        passes.clear();
        for (int width : {700, 720, 740, 760, 780})
            s.window->resize(width, 600);
        QVERIFY(timer->isActive());
        QTRY_COMPARE(passes.size(), 1);
        QTest::qWait(300);
        QCOMPARE(passes.size(), 1);
    }
};

QTEST_MAIN(TestMainLayout)
#include "test_main_layout.moc"
