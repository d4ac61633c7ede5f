#include "review/message_grid.h"
#include "review/message_table.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "support/temp_home.h"

#include <QTest>

namespace {

constexpr uint Red = colour::LightRed;
constexpr uint Grey = colour::LightGrey;
constexpr uint White = colour::White;

const QByteArray Message = "+OK 66 octets\r\n"
                           "Subject: Hi\r\n"
                           "From: a@example.org\r\n"
                           "\r\n"
                           "  Body <b>line</b>\r\n"
                           "\r\n"
                           "Second\r\n"
                           ".\r\n";
const QString Decoded = "Body <b>line</b>\r\nSecond\r\n.\r\n";
const QString RawBody = "  Body <b>line</b>\r\n\r\nSecond\r\n.\r\n";

uint colourOf(const QString& action) {
    if (action == "D")
        return Red;
    return action == "B" ? Grey : White;
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
        table.setCell(row, col::From, "sender" + QString::number(row) + "@example.org");
        table.setCell(row, col::File, file);
        table.ColourRow(action, row, colourOf(action), reason);
    }

    void click(int row, int column, bool showRaw = false, bool showHeader = false) {
        table.grid().click(row, column);
        grid.MSFlexGrid1_Click(showRaw, showHeader);
    }

    QList<uint> rowColours(int row) const {
        QList<uint> colours;
        for (int c = 0; c < col::Count; ++c)
            colours.append(table.grid().CellBackColor(row, c));
        return colours;
    }
};

QList<uint> painted(uint colour) {
    return QList<uint>(col::Count, colour);
}

} // namespace

class TestGridActions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void actionCycle_data();
    void actionCycle();
    void clickWithoutMessage_data();
    void clickWithoutMessage();
    void messageCell_data();
    void messageCell();
    void missingFile_data();
    void missingFile();
    void checkBoxesAfterActionClick();
    void marking_data();
    void marking();
    void accountList_data();
    void accountList();
};

void TestGridActions::actionCycle_data() {
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("action");
    QTest::addColumn<uint>("colour");

    QTest::newRow("once") << 1 << "D" << Red;
    QTest::newRow("twice") << 2 << "B" << Grey;
    QTest::newRow("three times") << 3 << "W" << White;
    QTest::newRow("four times") << 4 << "" << White;
}

void TestGridActions::actionCycle() {
    QFETCH(int, clicks);
    QFETCH(QString, action);
    QFETCH(uint, colour);
    Desk desk;
    desk.fill(1, "", "No subject");
    desk.fill(2, "", "Kept");
    for (int i = 0; i < clicks; ++i) {
        desk.pane.setText("old");
        desk.click(1, col::Action);
        QCOMPARE(desk.pane.text(), QString());
        QCOMPARE(desk.table.grid().Col(), int(col::File));
    }
    QCOMPARE(desk.table.cell(1, col::Action), action);
    QCOMPARE(desk.rowColours(1), painted(colour));
    QCOMPARE(desk.table.cell(1, col::Reason), QString("No subject"));
    QCOMPARE(desk.table.grid().Row(), 1);
    QCOMPARE(desk.table.cell(2, col::Action), QString());
    QCOMPARE(desk.rowColours(2), painted(White));
}

void TestGridActions::clickWithoutMessage_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");

    QTest::newRow("action cell of an empty row") << 3 << int(col::Action);
    QTest::newRow("message cell of an empty row") << 3 << int(col::Subject);
    QTest::newRow("title row") << 0 << int(col::Action);
}

void TestGridActions::clickWithoutMessage() {
    QFETCH(int, row);
    QFETCH(int, column);
    Desk desk;
    desk.fill(1, "D", "Blacklisted");
    desk.fill(2, "", "");
    desk.pane.setText("old");

    desk.click(row, column);
    QCOMPARE(desk.pane.text(), QString());
    QCOMPARE(desk.table.cell(row, col::Action), row == 0 ? QString("Action") : QString());
    QCOMPARE(desk.rowColours(3), painted(White));
    QCOMPARE(desk.table.cell(1, col::Action), QString("D"));
    QCOMPARE(desk.rowColours(1), painted(Red));
    QCOMPARE(desk.table.grid().Col(), column);
}

void TestGridActions::messageCell_data() {
    QTest::addColumn<bool>("showRaw");
    QTest::addColumn<bool>("showHeader");
    QTest::addColumn<QString>("shown");

    QTest::newRow("decoded") << false << false << Decoded;
    QTest::newRow("decoded ignores show header") << false << true << Decoded;
    QTest::newRow("raw without header") << true << false << RawBody;
    QTest::newRow("raw with header") << true << true << QString::fromLatin1(Message);
}

void TestGridActions::messageCell() {
    QFETCH(bool, showRaw);
    QFETCH(bool, showHeader);
    QFETCH(QString, shown);
    Desk desk;
    desk.fill(1, "", "");
    desk.fill(2, "B", "Blacklisted");

    desk.click(2, col::Subject, showRaw, showHeader);
    QCOMPARE(desk.pane.text(), shown);
    QCOMPARE(desk.table.grid().Row(), 2);
    QCOMPARE(desk.table.grid().Col(), int(col::File));
    QCOMPARE(desk.table.grid().ColSel(), int(col::From));
    QCOMPARE(desk.table.cell(2, col::Action), QString("B"));
    QCOMPARE(desk.rowColours(2), painted(Grey));
}

void TestGridActions::missingFile_data() {
    QTest::addColumn<bool>("showRaw");
    QTest::addColumn<QString>("shown");

    QTest::newRow("decoded view says so") << false << "Error: Missing file...";
    QTest::newRow("raw view stays empty") << true << "";
}

void TestGridActions::missingFile() {
    QFETCH(bool, showRaw);
    QFETCH(QString, shown);
    Desk desk;
    desk.fill(1, "", "", "email7.eml");
    desk.pane.setText("old");

    desk.click(1, col::From, showRaw, true);
    QCOMPARE(desk.pane.text(), shown);
}

// A check box calls the click handler again; after an Action click the File column is
// current, so the row's message is shown and its action is left alone.
void TestGridActions::checkBoxesAfterActionClick() {
    Desk desk;
    desk.fill(1, "", "Not for me");
    desk.click(1, col::Action);
    QCOMPARE(desk.table.cell(1, col::Action), QString("D"));

    QCOMPARE(desk.grid.Check1_Click(true, false), true);
    QCOMPARE(desk.pane.text(), RawBody);
    desk.grid.Check2_Click(true, true);
    QCOMPARE(desk.pane.text(), QString::fromLatin1(Message));
    QCOMPARE(desk.grid.Check1_Click(false, true), false);
    QCOMPARE(desk.pane.text(), Decoded);

    QCOMPARE(desk.table.cell(1, col::Action), QString("D"));
    QCOMPARE(desk.rowColours(1), painted(Red));
    QCOMPARE(desk.table.cell(1, col::Reason), QString("Not for me"));
}

void TestGridActions::marking_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QStringList>("reasons");
    QTest::addColumn<QList<uint>>("colours");

    QTest::newRow("Mark all D") << "Command8" << QStringList{"D", "D", "B", "W", "D"}
                                << QStringList{"", "No subject", "Blacklisted", "Whitelisted", ""}
                                << QList<uint>{Red, Red, Grey, White, Red};
    QTest::newRow("Mark all B") << "Command9" << QStringList{"B", "D", "B", "W", "B"}
                                << QStringList{"", "No subject", "Blacklisted", "Whitelisted", ""}
                                << QList<uint>{Grey, Red, Grey, White, Grey};
    QTest::newRow("D >> B") << "Command11" << QStringList{"", "B", "B", "W", ""}
                            << QStringList{"Looks fine", "No subject", "Blacklisted", "Whitelisted",
                                           "Rule 4"}
                            << QList<uint>{White, Grey, Grey, White, White};
}

void TestGridActions::marking() {
    QFETCH(QString, button);
    QFETCH(QStringList, actions);
    QFETCH(QStringList, reasons);
    QFETCH(QList<uint>, colours);
    Desk desk;
    desk.fill(1, "", "Looks fine");
    desk.fill(2, "D", "No subject");
    desk.fill(3, "B", "Blacklisted");
    desk.fill(4, "W", "Whitelisted");
    desk.fill(5, "", "Rule 4");
    // Row 6 is empty, so row 7 lies beyond the table's end.
    desk.fill(7, "D", "Beyond the end");
    desk.table.grid().setRow(3);

    if (button == "Command8")
        desk.grid.markAllD();
    else if (button == "Command9")
        desk.grid.markAllB();
    else
        desk.grid.markDAsB();

    for (int row = 1; row <= 5; ++row) {
        QCOMPARE(desk.table.cell(row, col::Action), actions[row - 1]);
        QCOMPARE(desk.table.cell(row, col::Reason), reasons[row - 1]);
        QCOMPARE(desk.rowColours(row), painted(colours[row - 1]));
    }
    QCOMPARE(desk.table.cell(6, col::Action), QString());
    QCOMPARE(desk.table.cell(7, col::Action), QString("D"));
    QCOMPARE(desk.table.cell(7, col::Reason), QString("Beyond the end"));
    QCOMPARE(desk.table.grid().Row(), 3);
}

void TestGridActions::accountList_data() {
    QTest::addColumn<QList<bool>>("selected");
    QTest::addColumn<QStringList>("enabled");

    QTest::newRow("first and third") << QList<bool>{true, false, true} << QStringList{"1", "", "1"};
    QTest::newRow("none") << QList<bool>{false, false, false} << QStringList{"", "", ""};
    QTest::newRow("all") << QList<bool>{true, true, true} << QStringList{"1", "1", "1"};
    QTest::newRow("empty list") << QList<bool>{} << QStringList{"1", "0", ""};
}

void TestGridActions::accountList() {
    QFETCH(QList<bool>, selected);
    QFETCH(QStringList, enabled);
    Desk desk;
    const QStringList names{"Home", "Work", "Club"};
    const QStringList before{"1", "0", ""};
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

QTEST_GUILESS_MAIN(TestGridActions)
#include "test_grid_actions.moc"
