#include "review/message_table.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

class TestGridModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The grid's operations under the model tester: writes outside the grid are lost, growing
    // adds white rows and keeps the cells, a click moves the current cell before it is raised,
    // Clear empties every text, the titles too.
    void gridContract() {
        GridModel grid(3, 5);
        QAbstractItemModelTester tester(&grid,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.setTextMatrix(0, 0, "Title");
        grid.setTextMatrix(2, 1, "kept");
        grid.setCellBackColor(2, 1, 0xC0C0C0);
        grid.setTextMatrix(5, 0, "lost");
        grid.setTextMatrix(1, -1, "lost");
        QCOMPARE(grid.TextMatrix(5, 0), QString());
        QCOMPARE(grid.TextMatrix(-1, 0), QString());
        grid.setRows(40);
        QCOMPARE(grid.TextMatrix(2, 1), QString("kept"));
        QCOMPARE(grid.CellBackColor(2, 1), 0xC0C0C0u);
        QCOMPARE(grid.CellBackColor(39, 2), 0xFFFFFFu);
        QCOMPARE(grid.TextMatrix(39, 2), QString());
        QString seen;
        connect(&grid, &GridModel::Click, this, [&] { seen = grid.Text(); });
        grid.click(2, 1);
        QCOMPARE(seen, QString("kept"));
        QCOMPARE(grid.Row(), 2);
        QCOMPARE(grid.Col(), 1);
        grid.setRows(3);
        grid.Clear();
        QCOMPARE(grid.TextMatrix(0, 0), QString());
        QCOMPARE(grid.TextMatrix(2, 1), QString());
        QCOMPARE(grid.rowCount(), 2);
    }

    // Titles, alignments and column widths; ClearGrid empties and whitens every row with one change
    // notice, makes row 1 current and scrolls to it. (ColourRow is seen at work in the grid
    // actions.)
    void messageTable() {
        MessageTable table;
        GridModel& grid = table.grid();
        QCOMPARE(grid.Rows(), 50);
        QStringList titles;
        QList<int> alignments;
        for (int c = 0; c < col::Count; ++c) {
            titles << grid.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            alignments << grid.ColAlignment(c);
        }
        QCOMPARE(titles,
                 QString("Action,From,Subject,Account,To,Size,Reason,IP,Bytes,N,File").split(','));
        QCOMPARE(alignments, (QList<int>{4, 1, 1, 1, 1, 4, 1, 1, 1, 1, 1}));
        grid.setRows(80);
        table.setCell(79, col::File, "email1.eml");
        table.ColourRow("D", 79, colour::LightRed, "No Subject:");
        grid.setRow(30);
        QSignalSpy scrolled(&grid, &GridModel::topRowChanged);
        QSignalSpy changed(&grid, &GridModel::dataChanged);
        table.ClearGrid();
        QCOMPARE(changed.size(), 1); // one notice for the whole fill
        QCOMPARE(table.cell(79, col::File), QString());
        QCOMPARE(table.cell(79, col::Action), QString());
        QCOMPARE(grid.CellBackColor(79, 5), colour::White);
        QCOMPARE(table.cell(0, col::Action), QString("Action"));
        QCOMPARE(grid.Row(), 1);
        QCOMPARE(scrolled.size(), 1);
        QCOMPARE(scrolled.first().first().toInt(), 1);
        // The usable width is 11850 - 240 - 90 = 11520 twips.
        const auto widths = MessageTable::columnWidths(11850, 240.0);
        QCOMPARE(QList<int>(widths.begin(), widths.end()),
                 (QList<int>{576, 2880, 2534, 922, 1613, 438, 4608, 1728, 230, 576, 1728}));
    }
};

QTEST_GUILESS_MAIN(TestGridModel)
#include "test_grid_model.moc"
