#include "review/grid_model.h"
#include "review/text_pane.h"
#include "ui/grid_view.h"
#include "ui/pane_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

// A grid of 4 columns and 60 rows on screen at 15 twips a pixel, columns 1500 twips wide.
struct Screen {
    GridModel grid{4, 60};
    GridView view{grid, Twips(15)};
    QSignalSpy clicks{&grid, &GridModel::Click};

    Screen() {
        for (int c = 0; c < 4; ++c)
            grid.setColWidth(c, 1500);
        view.resize(420, 300);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            qFatal("the grid view was not shown");
    }
    // The centre of grid cell (row, col) in the view's viewport.
    QPoint centre(int row, int col) const {
        return view.visualRect(view.model()->index(row - 1, col)).center();
    }
    QPair<int, int> current() const { return {grid.Row(), grid.Col()}; }
};

} // namespace

class TestViews : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A click moves the model's current cell and raises Click once; so does a double click.
    // The arrow keys move the current cell without a Click.
    void userMoves() {
        Screen s;
        QTest::mouseClick(s.view.viewport(), Qt::LeftButton, {}, s.centre(3, 2));
        QCOMPARE(s.current(), qMakePair(3, 2));
        QCOMPARE(s.clicks.size(), 1);
        // A double click as the desktop delivers it: press, release, press, double click,
        // release. Only its first half is a click, so an Action cell steps once.
        const QPointF at = s.centre(4, 1);
        for (const auto& [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                            {QEvent::MouseButtonRelease, Qt::NoButton},
                                            {QEvent::MouseButtonPress, Qt::LeftButton},
                                            {QEvent::MouseButtonDblClick, Qt::LeftButton},
                                            {QEvent::MouseButtonRelease, Qt::NoButton}}) {
            QMouseEvent event(type, at, s.view.viewport()->mapToGlobal(at), Qt::LeftButton, buttons,
                              {});
            QApplication::sendEvent(s.view.viewport(), &event);
        }
        QCOMPARE(s.current(), qMakePair(4, 1));
        QCOMPARE(s.clicks.size(), 2);
        s.view.setFocus();
        QTest::keyClick(&s.view, Qt::Key_Down);
        QTest::keyClick(&s.view, Qt::Key_Right);
        QCOMPARE(s.current(), qMakePair(5, 2));
        QCOMPARE(s.clicks.size(), 2);
    }

    // What the program sets shows: 0x00BBGGRR cell colours as background brushes with text that
    // reads on them at a contrast of 4.5 or more under a dark theme too (whose text is light),
    // the current cell, the selection from it to the selection end, the top row and the widths.
    void programmeSettings() {
        QApplication::setPalette(QPalette(QColor(0x30, 0x30, 0x30)));
        Screen s;
        s.grid.setCellBackColor(2, 1, 0xC0C0FF);
        s.grid.setCellBackColor(2, 2, 0x800000);
        s.grid.setCellBackColor(2, 0, 0xC0C0C0);
        for (const auto& [c, shown, ink] : {std::tuple{0, QColor(0xC0C0C0), QColor(Qt::black)},
                                            {1, QColor(0xFF, 0xC0, 0xC0), QColor(Qt::black)},
                                            {2, QColor(0, 0, 0x80), QColor(Qt::white)},
                                            {3, QColor(Qt::white), QColor(Qt::black)}}) {
            const QModelIndex cell = s.view.model()->index(1, c);
            QCOMPARE(cell.data(Qt::BackgroundRole).value<QColor>(), shown);
            QCOMPARE(cell.data(Qt::ForegroundRole).value<QColor>(), ink);
            QVERIFY(GridView::contrastRatio(ink, shown) >= 4.5);
        }
        s.grid.setCurrentCell(2, 3);
        s.grid.setColSel(1);
        QCOMPARE(s.view.currentIndex(), s.view.model()->index(1, 3));
        QModelIndexList selected = s.view.selectionModel()->selectedIndexes();
        std::sort(selected.begin(), selected.end());
        QCOMPARE(selected,
                 QModelIndexList({s.view.model()->index(1, 1), s.view.model()->index(1, 2),
                                  s.view.model()->index(1, 3)}));
        s.grid.setTopRow(20);
        QCOMPARE(s.view.rowAt(0), 19);
        s.grid.setColWidth(2, 2400);
        QCOMPARE(s.view.columnWidth(2), 160);
        QCOMPARE(s.view.columnWidth(1), 100);
        QCOMPARE(s.clicks.size(), 0);
    }

    // Added lines go at the end: a view at its end follows them, one scrolled back stays.
    void paneAppends() {
        TextPane pane;
        QPlainTextEdit view;
        view.resize(300, 100);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        showPane(pane, view);
        pane.setText("first\r\nsecond\r\n");
        QStringList lines{"first", "second"};
        for (int i = 0; i < 50; ++i) {
            lines << QString("line %1").arg(i);
            pane.AddList(lines.last());
        }
        QCOMPARE(view.toPlainText(), lines.join('\n') + '\n');
        QScrollBar* bar = view.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        bar->setValue(3);
        pane.AddList("later");
        QCOMPARE(bar->value(), 3);
        QCOMPARE(view.toPlainText(), lines.join('\n') + "\nlater\n");
        QCOMPARE(pane.text(), lines.join("\r\n") + "\r\nlater\r\n");
    }
};

QTEST_MAIN(TestViews)
#include "test_views.moc"
