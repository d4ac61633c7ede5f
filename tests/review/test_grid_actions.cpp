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

uint colourOf(const QString& action) {
    return action == "D" ? colour::LightRed : action == "B" ? colour::LightGrey : colour::White;
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
    // Each click on the Action cell takes the next action and its colour, clears the pane and
    // leaves File current; the reason and the other rows stay.
    void actionCycle() {
        Desk desk;
        desk.fill(1, "", "No subject");
        desk.fill(2, "", "Kept");
        for (const char* action : {"D", "B", "W", ""}) {
            desk.pane.setText("old");
            desk.click(1, col::Action);
            QCOMPARE(desk.pane.text(), QString());
            QCOMPARE(desk.table.grid().Col(), int(col::File));
            QCOMPARE(desk.table.grid().Row(), 1);
            desk.compareRow(1, action, "No subject");
            desk.compareRow(2, "", "Kept");
        }
    }

    void clickWithoutMessage_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("action cell of an empty row") << 3 << int(col::Action);
        QTest::newRow("message cell of an empty row") << 3 << int(col::Subject);
        QTest::newRow("title row") << 0 << int(col::Action);
    }
    void clickWithoutMessage() {
        QFETCH(int, row);
        QFETCH(int, column);
        Desk desk;
        desk.fill(1, "D", "Blacklisted");
        desk.fill(2, "", "");
        desk.pane.setText("old");
        desk.click(row, column);
        QCOMPARE(desk.pane.text(), QString());
        QCOMPARE(desk.table.cell(row, col::Action), row == 0 ? QString("Action") : QString());
        desk.compareRow(3, "", "");
        desk.compareRow(1, "D", "Blacklisted");
        QCOMPARE(desk.table.grid().Col(), column);
    }

    // A message cell shows the row's message and leaves File current with From to File
    // selected; the action stays.
    void messageCell_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("showRaw");
        QTest::addColumn<bool>("showHeader");
        QTest::addColumn<QString>("shown");
        QTest::newRow("decoded") << "email1.eml" << false << false << Decoded;
        QTest::newRow("decoded ignores show header") << "email1.eml" << false << true << Decoded;
        QTest::newRow("raw without header") << "email1.eml" << true << false << RawBody;
        QTest::newRow("raw with header")
            << "email1.eml" << true << true << QString::fromLatin1(Message);
        QTest::newRow("missing file, decoded")
            << "email7.eml" << false << true << "Error: Missing file...";
        QTest::newRow("missing file, raw") << "email7.eml" << true << true << "";
    }
    void messageCell() {
        QFETCH(QString, file);
        QFETCH(bool, showRaw);
        QFETCH(bool, showHeader);
        QFETCH(QString, shown);
        Desk desk;
        desk.fill(1, "", "");
        desk.fill(2, "B", "Blacklisted", file);
        desk.pane.setText("old");
        desk.click(2, col::Subject, showRaw, showHeader);
        QCOMPARE(desk.pane.text(), shown);
        QCOMPARE(desk.table.grid().Row(), 2);
        QCOMPARE(desk.table.grid().Col(), int(col::File));
        QCOMPARE(desk.table.grid().ColSel(), int(col::From));
        desk.compareRow(2, "B", "Blacklisted");
    }

    // A check box calls the click handler again; after an Action click the File column is
    // current, so the row's message is shown and its action is left alone.
    void checkBoxesAfterActionClick() {
        Desk desk;
        desk.fill(1, "", "Not for me");
        desk.click(1, col::Action);
        QCOMPARE(desk.grid.Check1_Click(true, false), true);
        QCOMPARE(desk.pane.text(), RawBody);
        desk.grid.Check2_Click(true, true);
        QCOMPARE(desk.pane.text(), QString::fromLatin1(Message));
        QCOMPARE(desk.grid.Check1_Click(false, true), false);
        QCOMPARE(desk.pane.text(), Decoded);
        desk.compareRow(1, "D", "Not for me");
    }

    // Rows 1 to 5 before: "" "D" "B" "W" ""; row 6 is empty, so row 7 lies beyond the end.
    // After: "action/reason" per row.
    void marking_data() {
        QTest::addColumn<QStringList>("after");
        const QStringList kept = {"D/No subject", "B/Blacklisted", "W/Whitelisted"};
        QTest::newRow("Mark all D") << QStringList("D/") + kept + QStringList("D/");
        QTest::newRow("Mark all B") << QStringList("B/") + kept + QStringList("B/");
        QTest::newRow("D >> B") << QStringList{"/Looks fine", "B/No subject", "B/Blacklisted",
                                               "W/Whitelisted", "/Rule 4"};
    }
    void marking() {
        QFETCH(QStringList, after);
        Desk desk;
        desk.fill(1, "", "Looks fine");
        desk.fill(2, "D", "No subject");
        desk.fill(3, "B", "Blacklisted");
        desk.fill(4, "W", "Whitelisted");
        desk.fill(5, "", "Rule 4");
        desk.fill(7, "D", "Beyond the end");
        desk.table.grid().setRow(3);
        const QByteArray button = QTest::currentDataTag();
        if (button == "Mark all D")
            desk.grid.markAllD();
        else if (button == "Mark all B")
            desk.grid.markAllB();
        else
            desk.grid.markDAsB();
        for (int row = 1; row <= 5; ++row)
            desk.compareRow(row, after[row - 1].section('/', 0, 0), after[row - 1].section('/', 1));
        QCOMPARE(desk.table.cell(6, col::Action), QString());
        desk.compareRow(7, "D", "Beyond the end");
        QCOMPARE(desk.table.grid().Row(), 3);
    }

    // Accounts Home, Work and Club enabled "1", "0" and "" before.
    void accountList_data() {
        QTest::addColumn<QList<bool>>("selected");
        QTest::addColumn<QStringList>("enabled");
        QTest::newRow("first and third")
            << QList<bool>{true, false, true} << QStringList{"1", "", "1"};
        QTest::newRow("empty list") << QList<bool>{} << QStringList{"1", "0", ""};
    }
    void accountList() {
        QFETCH(QList<bool>, selected);
        QFETCH(QStringList, enabled);
        Desk desk;
        const QStringList names{"Home", "Work", "Club"}, before{"1", "0", ""};
        for (int r = 1; r <= 3; ++r) {
            desk.global.accounts.row(r).AccountName = names[r - 1];
            desk.global.accounts.row(r).Enabled = before[r - 1];
        }
        desk.global.accounts.row(0).Enabled = "x";
        desk.grid.List2_Click(selected);
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(desk.global.accounts.row(r).Enabled, enabled[r - 1]);
            QCOMPARE(desk.global.accounts.row(r).AccountName, names[r - 1]);
        }
        QCOMPARE(desk.global.accounts.row(0).Enabled, QString("x"));
        QCOMPARE(desk.global.accounts.row(4).Enabled, QString());
    }
};

QTEST_GUILESS_MAIN(TestGridActions)
#include "test_grid_actions.moc"
