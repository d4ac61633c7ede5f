#include "ui/grid_view.h"
#include "windows/notifier.h"

#include <QHeaderView>
#include <QTest>
#include <QTimer>

using Rows = QList<QStringList>;

class TestNotifier : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sizeText() {
        for (const auto& [sizeK, locale, text] : {std::tuple{999, "en_US", "999k"},
                                                  {1000, "en_US", "1,000k"},
                                                  {1234567, "en_US", "1,234,567k"},
                                                  {1234567, "de_DE", "1.234.567k"}})
            QCOMPARE(Notifier::sizeText(sizeK, QLocale(locale)), QString(text));
    }

    // Filled, the window holds the title row and one row per count, sits 300 twips left of the
    // right edge and 500 above the bottom edge of the available area, and shows for the given
    // time; a click empties it and hides it.
    void showAndClick_data() {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("bottomRight");
        QTest::newRow("whole screen") << QRect(0, 0, 1280, 1024) << QPoint(1260, 991);
        QTest::newRow("panels left and below") << QRect(48, 0, 1232, 996) << QPoint(1260, 963);
        QTest::newRow("panel above") << QRect(0, 30, 1280, 994) << QPoint(1260, 991);
    }
    void showAndClick() {
        QFETCH(QRect, available);
        QFETCH(QPoint, bottomRight);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Notifier notifier{Twips()};
        notifier.showCounts({{"home", 3, 1234}, {"work", 0, 0}}, available, 7);
        QVERIFY(notifier.isVisible());
        const Rows titleAndCounts{
            {"Account", "Mail", "Size"}, {"home", "3", "1,234k"}, {"work", "0", "k"}, {"", "", ""}};
        QCOMPARE(cells(notifier), titleAndCounts);
        const GridModel& grid = notifier.grid();
        QCOMPARE((QList<int>{grid.ColWidth(0), grid.ColWidth(1), grid.ColWidth(2)}),
                 (QList<int>{2520, 840, 840}));
        QCOMPARE(
            (QList<int>{grid.ColAlignment(0), grid.ColAlignment(1), grid.ColAlignment(2)}),
            (QList<int>{GridModel::AlignLeft, GridModel::AlignCentre, GridModel::AlignCentre}));
        const auto* view = notifier.findChild<GridView*>("MSFlexGrid1");
        QCOMPARE(notifier.height(), 3 * view->horizontalHeader()->height());
        QCOMPARE(notifier.width(), 280);
        QCOMPARE(notifier.geometry().bottomRight() + QPoint(1, 1), bottomRight);
        const auto* timer = notifier.findChild<QTimer*>("Timer1");
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 7000);

        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
        QVERIFY(notifier.isHidden());
        QCOMPARE(cells(notifier),
                 (Rows{titleAndCounts[0], {"", "", ""}, {"", "", ""}, {"", "", ""}}));
    }

private:
    static Rows cells(const Notifier& notifier) {
        Rows rows;
        for (int r = 0; r < 4; ++r)
            rows.append({notifier.grid().TextMatrix(r, 0), notifier.grid().TextMatrix(r, 1),
                         notifier.grid().TextMatrix(r, 2)});
        return rows;
    }
};

QTEST_MAIN(TestNotifier)
#include "test_notifier.moc"
