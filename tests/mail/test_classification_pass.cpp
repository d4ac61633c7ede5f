#include "mail/classification_pass.h"
#include "mail/mail_rig.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A data folder with default settings, the account u@example.com and b@example.com
// blacklisted; rows are added with the cells the retrieval run writes.
struct Desk : FakeDesk {
    Desk() {
        global.accounts.row(1).AccountName = "home";
        global.accounts.row(1).EmailAddress = "u@example.com";
        global.blacklist.setEntries({"b@example.com"});
    }

    // No subject: no file.
    void addRow(int r, const QString& from, const QString& subject, const QString& size = "1k") {
        const QString file = QString("e%1.eml").arg(r);
        if (!subject.isEmpty())
            home.write("Documents/Spam/" + file,
                       ("+OK\r\nFrom: " + from + "\r\nSubject: " + subject +
                        "\r\nTo: u@example.com\r\nReceived: "
                        "[192.0.2.1]\r\n\r\nhi\r\n.\r\n")
                           .toLatin1());
        table.setCell(r, col::File, file);
        table.setCell(r, col::Size, size);
    }

    // From, Subject, To, IP, Action, Reason, and the colour when all cells share one.
    QStringList row(int r) const {
        QStringList cells;
        for (int c : {col::From, col::Subject, col::To, col::IP, col::Action, col::Reason})
            cells << table.cell(r, c);
        for (int c = 1; c < col::Count; ++c)
            if (table.grid().CellBackColor(r, c) != table.grid().CellBackColor(r, 0))
                return cells << "mixed";
        return cells << QString::number(table.grid().CellBackColor(r, 0), 16);
    }
};

} // namespace

class TestClassificationPass : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every row up to the first empty one is classified and yields once while current; a row
    // whose file is gone keeps its cells; duplicates are marked last, with the last row current.
    void marksRowsThenDuplicates() {
        Desk desk;
        desk.addRow(1, "a@example.com", "same");
        desk.addRow(2, "\"B\" <b@example.com>", "other");
        desk.addRow(3, "a@example.com", "big", "150k");
        desk.addRow(4, "", "");
        for (int c : {col::From, col::Subject, col::To})
            desk.table.setCell(4, c, "kept@example.com u@example.com");
        desk.addRow(5, "a@example.com", "same");
        desk.addRow(7, "a@example.com", "beyond");
        QList<int> yields;
        QSignalSpy changed(&desk.table.grid(), &GridModel::dataChanged);
        classifyRows(desk.table, desk.global, {}, [&] { yields << desk.table.grid().Row(); });
        QCOMPARE(yields, (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(changed.size(), 1); // one notice for the whole pass
        const QString u = "u@example.com", ip = "192.0.2.1";
        QCOMPARE(desk.row(1),
                 (QStringList{"a@example.com", "same", u, ip, "D", "Duplicate subject", "c0c0ff"}));
        QCOMPARE(desk.row(2), (QStringList{"B <b@example.com>", "other", u, ip, "B",
                                           "Blacklisted sender", "c0c0c0"}));
        QCOMPARE(desk.row(3), (QStringList{"a@example.com", "big", u, ip, "",
                                           "Large emails not spam", "ffffff"}));
        const QString kept = "kept@example.com u@example.com";
        QCOMPARE(desk.row(4), (QStringList{kept, kept, kept, "", "", "", "ffffff"}));
        QCOMPARE(desk.row(5), desk.row(1));
        QCOMPARE(desk.row(7), (QStringList{"", "", "", "", "", "", "ffffff"}));
        QCOMPARE(desk.table.grid().Row(), desk.table.grid().Rows() - 1);
        QCOMPARE(desk.table.grid().Col(), int(col::File));
    }

    // Duplicates under the learned score: taken back from good mail, kept with the score shown
    // otherwise.
    void duplicatesRefereed() {
        Desk desk;
        for (int r = 1; r <= 3; ++r)
            desk.addRow(r, "a@example.com", "same");
        using V = LearnedScore::Verdict;
        classifyRows(desk.table, desk.global,
                     {{1, {V::Good, 0.02}}, {2, {V::Unsure, 0.3}}, {3, {V::Spam, 0.97}}}, [] {});
        const QStringList reasons{"Learned good mail, score 0.02 - not marked: Duplicate subject",
                                  "Duplicate subject - learned score 0.30",
                                  "Duplicate subject - learned score 0.97"};
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(desk.row(r).mid(4), (QStringList{r == 1 ? "" : "D", reasons[r - 1],
                                                      r == 1 ? "ffffff" : "c0c0ff"}));
    }

    // Only a mark paints a row, so a pass that marks nothing leaves the current column alone.
    void unmarkedRowsKeepTheCurrentColumn() {
        Desk desk;
        desk.addRow(1, "a@example.com", "one");
        desk.addRow(2, "a@example.com", "two");
        desk.table.grid().setCol(col::To);
        classifyRows(desk.table, desk.global, {}, [] {});
        QCOMPARE(desk.row(2), (QStringList{"a@example.com", "two", "u@example.com", "192.0.2.1", "",
                                           "", "ffffff"}));
        QCOMPARE(desk.table.grid().Col(), int(col::To));
        QCOMPARE(desk.table.grid().Row(), desk.table.grid().Rows() - 1);
    }
};

QTEST_GUILESS_MAIN(TestClassificationPass)
#include "test_classification_pass.moc"
