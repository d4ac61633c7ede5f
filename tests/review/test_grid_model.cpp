#include "review/message_table.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

class TestGridModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void modelContract();
    void rowCountGrowsWithWhiteRows();
    void cellsOutsideTheGrid();
    void clickMovesCurrentCellFirst();
    void clearEmptiesTitlesToo();
    void messageTableTitlesAndAlignments();
    void colourRowKeepsCurrentRow();
    void clearGridWhitensEveryRow();
    void columnWidths_data();
    void columnWidths();
};

void TestGridModel::modelContract() {
    GridModel grid(3, 5);
    QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.setTextMatrix(2, 1, "x");
    grid.setCellBackColor(2, 1, 0xC0C0FF);
    grid.setRows(40);
    grid.setRows(3);
    grid.Clear();
    QCOMPARE(grid.rowCount(), 2);
}

void TestGridModel::rowCountGrowsWithWhiteRows() {
    GridModel grid(2, 3);
    grid.setTextMatrix(2, 0, "kept");
    grid.setCellBackColor(2, 0, 0xC0C0C0);
    grid.setRows(10);
    QCOMPARE(grid.Rows(), 10);
    QCOMPARE(grid.TextMatrix(2, 0), QString("kept"));
    QCOMPARE(grid.CellBackColor(2, 0), 0xC0C0C0u);
    QCOMPARE(grid.CellBackColor(9, 1), 0xFFFFFFu);
    QCOMPARE(grid.TextMatrix(9, 1), QString());
}

void TestGridModel::cellsOutsideTheGrid() {
    GridModel grid(2, 3);
    grid.setTextMatrix(5, 0, "lost");
    grid.setTextMatrix(1, -1, "lost");
    QCOMPARE(grid.TextMatrix(5, 0), QString());
    QCOMPARE(grid.TextMatrix(-1, 0), QString());
    QCOMPARE(grid.Rows(), 3);
}

void TestGridModel::clickMovesCurrentCellFirst() {
    GridModel grid(4, 6);
    grid.setTextMatrix(3, 2, "clicked");
    QString seen;
    connect(&grid, &GridModel::Click, this, [&] { seen = grid.Text(); });
    grid.click(3, 2);
    QCOMPARE(seen, QString("clicked"));
    QCOMPARE(grid.Row(), 3);
    QCOMPARE(grid.Col(), 2);
}

void TestGridModel::clearEmptiesTitlesToo() {
    GridModel grid(2, 3);
    grid.setTextMatrix(0, 0, "Title");
    grid.setTextMatrix(1, 1, "cell");
    grid.Clear();
    QCOMPARE(grid.TextMatrix(0, 0), QString());
    QCOMPARE(grid.TextMatrix(1, 1), QString());
}

void TestGridModel::messageTableTitlesAndAlignments() {
    MessageTable table;
    const QStringList titles{"Action", "From", "Subject", "Account", "To",  "Size",
                             "Reason", "IP",   "Bytes",   "N",       "File"};
    QCOMPARE(table.grid().Rows(), 50);
    for (int c = 0; c < col::Count; ++c) {
        QCOMPARE(table.grid().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
        const bool centred = c == col::Action || c == col::Size;
        QCOMPARE(table.grid().ColAlignment(c),
                 centred ? int(GridModel::AlignCentre) : int(GridModel::AlignLeft));
    }
}

void TestGridModel::colourRowKeepsCurrentRow() {
    MessageTable table;
    table.grid().setRow(4);
    table.ColourRow("D", 2, colour::LightRed, "No Subject:");
    QCOMPARE(table.grid().Row(), 4);
    QCOMPARE(table.grid().Col(), int(col::File));
    QCOMPARE(table.cell(2, col::Action), QString("D"));
    QCOMPARE(table.cell(2, col::Reason), QString("No Subject:"));
    for (int c = 0; c < col::Count; ++c)
        QCOMPARE(table.grid().CellBackColor(2, c), colour::LightRed);
    QCOMPARE(table.grid().CellBackColor(3, 0), colour::White);
}

void TestGridModel::clearGridWhitensEveryRow() {
    MessageTable table;
    table.grid().setRows(80);
    table.setCell(79, col::File, "email1.eml");
    table.ColourRow("B", 79, colour::LightGrey, "x");
    table.grid().setRow(30);
    QSignalSpy scrolled(&table.grid(), &GridModel::topRowChanged);
    QSignalSpy changed(&table.grid(), &GridModel::dataChanged);
    table.ClearGrid();
    QCOMPARE(changed.size(), 1); // one notice for the whole fill
    QCOMPARE(table.cell(79, col::File), QString());
    QCOMPARE(table.cell(79, col::Action), QString());
    QCOMPARE(table.grid().CellBackColor(79, 5), colour::White);
    QCOMPARE(table.cell(0, col::Action), QString("Action"));
    QCOMPARE(table.grid().Row(), 1);
    QCOMPARE(scrolled.size(), 1);
    QCOMPARE(scrolled.first().first().toInt(), 1);
}

void TestGridModel::columnWidths_data() {
    QTest::addColumn<int>("gridWidth");
    QTest::addColumn<double>("scrollBar");
    QTest::addColumn<QList<int>>("widths");
    // usable = 11850 - 240 - 90 = 11520
    QTest::newRow("design width") << 11850 << 240.0 << QList<int>{576,  2880, 2534, 922, 1613, 438,
                                                                  4608, 1728, 230,  576, 1728};
    // usable = round(9540 - 255 - 90) = 9195
    QTest::newRow("minimum width")
        << 9540 << 255.0 << QList<int>{460, 2299, 2023, 736, 1287, 349, 3678, 1379, 184, 460, 1379};
}

void TestGridModel::columnWidths() {
    QFETCH(int, gridWidth);
    QFETCH(double, scrollBar);
    QFETCH(QList<int>, widths);
    const auto computed = MessageTable::columnWidths(gridWidth, scrollBar);
    QCOMPARE(QList<int>(computed.begin(), computed.end()), widths);
}

QTEST_GUILESS_MAIN(TestGridModel)
#include "test_grid_model.moc"
