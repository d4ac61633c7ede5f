#include "review/message_grid.h"
#include "review/message_table.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "support/temp_home.h"

#include <QTest>

namespace {

const QByteArray Message = "+OK 66 octets\r\nSubject: Hi\r\nFrom: a@example.org\r\n\r\n"
                           "  Body <b>line</b>\r\n\r\nSecond\r\n.\r\n";
const QString Decoded = "Body <b>line</b>\r\nSecond\r\n.\r\n";
const QString RawBody = "  Body <b>line</b>\r\n\r\nSecond\r\n.\r\n";

// Rows 1 to 7 of the table the handlers work on, "action/reason"; row 6 holds no message.
const QStringList Before{"/Looks fine",     "D/No subject", "B/Blacklisted",
                         "W/Whitelisted",   "/Rule 4",      "/",
                         "D/Beyond the end"};

uint colourOf(const QString& action) {
    return action == "D" ? 0xC0C0FF : action == "B" ? 0xC0C0C0 : 0xFFFFFF;
}

// The main window's parts that the grid's handlers work on, over a temporary data folder.
struct Desk {
    TempHome home;
    Global global;
    MessageTable table;
    TextPane pane;
    MessageGrid grid{table, pane, global};

    Desk() {
        global.setUpDataFolder(home.documents());
        home.write("Documents/Spam/email1.eml", Message);
        pane.setText("old");
    }

    void fill(int row, const QString& action, const QString& reason,
              const QString& file = "email1.eml") {
        table.setCell(row, col::File, file);
        table.ColourRow(action, row, colourOf(action), reason);
    }

    void click(int row, int column, bool showRaw = false, bool showHeader = false) {
        table.grid().click(row, column);
        grid.MSFlexGrid1_Click(showRaw, showHeader);
    }

    // Action, reason and the action's colour in all eleven cells.
    void compareRow(int row, const QString& action, const QString& reason) const {
        QCOMPARE(table.cell(row, col::Action), action);
        QCOMPARE(table.cell(row, col::Reason), reason);
        for (int c = 0; c < col::Count; ++c)
            QCOMPARE(table.grid().CellBackColor(row, c), colourOf(action));
    }
};

} // namespace

class TestGridActions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One click on a cell of Before's rows, or (row -1) the button the case is named after; then
    // the pane and "action/reason" of every row. A click on an Action cell takes the next action
    // and its colour, one on a message cell shows the message with From to File selected; both
    // leave File current. A row without a message, the title row too, only empties the pane. The
    // buttons mark the rows up to the first empty one and keep the current row.
    void userActions_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("after");
        auto with = [](QList<QPair<int, const char*>> changes) {
            QStringList after = Before;
            for (const auto& [row, state] : changes)
                after[row - 1] = state;
            return after;
        };
        const int action = col::Action, subject = col::Subject;
        const QString none, untouched = "old";
        QTest::newRow("action \"\"") << 1 << action << none << with({{1, "D/Looks fine"}});
        QTest::newRow("action D") << 2 << action << none << with({{2, "B/No subject"}});
        QTest::newRow("action B") << 3 << action << none << with({{3, "W/Blacklisted"}});
        QTest::newRow("action W") << 4 << action << none << with({{4, "/Whitelisted"}});
        QTest::newRow("message cell") << 2 << subject << Decoded << Before;
        QTest::newRow("empty row, action") << 6 << action << none << Before;
        QTest::newRow("empty row, subject") << 6 << subject << none << Before;
        QTest::newRow("title row") << 0 << action << none << Before;
        QTest::newRow("Mark all D") << -1 << 0 << untouched << with({{1, "D/"}, {5, "D/"}});
        QTest::newRow("Mark all B") << -1 << 0 << untouched << with({{1, "B/"}, {5, "B/"}});
        QTest::newRow("D >> B") << -1 << 0 << untouched << with({{2, "B/No subject"}});
    }
    void userActions() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QStringList, after);
        Desk desk;
        for (int r = 1; r <= 7; ++r)
            if (r != 6)
                desk.fill(r, Before[r - 1].section('/', 0, 0), Before[r - 1].section('/', 1));
        desk.table.grid().setRow(3);
        const QMap<QByteArray, void (MessageGrid::*)()> buttons{
            {"Mark all D", &MessageGrid::markAllD},
            {"Mark all B", &MessageGrid::markAllB},
            {"D >> B", &MessageGrid::markDAsB}};
        if (row >= 0)
            desk.click(row, column);
        else
            (desk.grid.*buttons.value(QTest::currentDataTag()))();
        QTEST(desk.pane.text(), "shown");
        const GridModel& grid = desk.table.grid();
        const bool occupied = row != 0 && row != 6;
        QCOMPARE(grid.Row(), row < 0 ? 3 : row);
        QCOMPARE(grid.Col(), occupied ? int(col::File) : column);
        QCOMPARE(grid.ColSel(), occupied && column == col::Subject ? int(col::From) : 0);
        for (int r = 1; r <= 7; ++r)
            desk.compareRow(r, after[r - 1].section('/', 0, 0), after[r - 1].section('/', 1));
        QCOMPARE(desk.table.cell(0, col::Action), QString("Action"));
    }

    // The check boxes show the current row's message again as they say, whatever cell is
    // current, and never change its action: not even with the Action cell current, as Home
    // leaves it. "Show header" matters to the raw text only; a raw file that cannot be read
    // shows nothing.
    void checkBoxesAfterActionClick() {
        Desk desk;
        desk.fill(1, "", "Not for me");
        desk.click(1, col::Action);
        desk.table.grid().setCol(col::Action);
        QCOMPARE(desk.grid.Check1_Click(true, false), true);
        QCOMPARE(desk.pane.text(), RawBody);
        desk.grid.Check2_Click(true, true);
        QCOMPARE(desk.pane.text(), QString::fromLatin1(Message));
        QCOMPARE(desk.grid.Check1_Click(false, true), false);
        QCOMPARE(desk.pane.text(), Decoded);
        desk.compareRow(1, "D", "Not for me");
        desk.fill(2, "", "", "email7.eml");
        desk.click(2, col::Subject, true, true);
        QCOMPARE(desk.pane.text(), QString());
        QCOMPARE(desk.table.grid().Col(), int(col::File));
    }

    // Accounts 1 to 3 enabled "1", "0" and "" before; row 0 belongs to no account.
    void accountList_data() {
        QTest::addColumn<QList<bool>>("selected");
        QTest::addColumn<QStringList>("enabled");
        QTest::newRow("first and third")
            << QList<bool>{true, false, true} << QStringList{"x", "1", "", "1", ""};
        QTest::newRow("empty list") << QList<bool>{} << QStringList{"x", "1", "0", "", ""};
    }
    void accountList() {
        QFETCH(QList<bool>, selected);
        Desk desk;
        AccountTable& accounts = desk.global.accounts;
        const QStringList before{"x", "1", "0", ""};
        for (int r = 0; r <= 3; ++r)
            accounts.row(r).Enabled = before[r];
        desk.grid.List2_Click(selected);
        QStringList enabled;
        for (int r = 0; r <= 4; ++r)
            enabled << accounts.row(r).Enabled;
        QTEST(enabled, "enabled");
    }
};

QTEST_GUILESS_MAIN(TestGridActions)
#include "test_grid_actions.moc"
