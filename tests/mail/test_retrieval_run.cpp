#include "mail/mail_rig.h"

#include <QDir>
#include <QtTest>

namespace {

// A table row of a message of test size.
QStringList row(const char* account, int number, const char* n, const char* file) {
    return {account, "0k", QString::number(numberedMessage(number).size()), n, file};
}

} // namespace

class TestRetrievalRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Numbering of files and rows goes on across accounts; N restarts with each. Every kind of
    // server gives the same rows, files, lines and progress.
    void accountsInTurn_data() {
        QTest::addColumn<QList<QByteArray>>("capabilities");
        QTest::addColumn<bool>("byteByByte");
        for (const auto& [name, capabilities] : ServerKinds)
            QTest::newRow(name) << capabilities << false;
        QTest::newRow("PIPELINING, a byte per arrival") << ServerKinds[2].second << true;
    }

    void accountsInTurn() {
        QFETCH(QList<QByteArray>, capabilities);
        QFETCH(bool, byteByByte);
        FakeDesk rig;
        rig.capabilities = capabilities;
        rig.byteByByte = byteByByte;
        rig.addMailbox("Off", numberedMessages(1), false);
        rig.addMailbox("Home", numberedMessages(2));
        rig.addMailbox("Empty", {});
        rig.addMailbox("Work", numberedMessages(1));
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.lines(), accountLines("Home", 2) + accountLines("Empty", 0) +
                                  accountLines("Work", 1) + QStringList{Tip});
        QCOMPARE(rig.row(1), row("Home", 1, "1", "email1.eml"));
        QCOMPARE(rig.row(2), row("Home", 2, "2", "email2.eml"));
        QCOMPARE(rig.row(3), row("Work", 1, "1", "email3.eml"));
        QVERIFY(!rig.table.isOccupied(4));
        QCOMPARE(rig.file("email2.eml"), FakeMailbox::retrReply(numberedMessage(2)));
        QCOMPARE(rig.file("email3.eml"), FakeMailbox::retrReply(numberedMessage(1)));
        // Past CAPA, a server without pipelining hears the one-command-at-a-time dialogue, with
        // UIDL first whether its CAPA offers it or not; the ids go with the rows.
        const bool pipelining = capabilities.contains("PIPELINING");
        const QList<QByteArray> fetch =
            pipelining ? QList<QByteArray>{"LIST", "UIDL", "RETR 1", "RETR 2"}
                       : QList<QByteArray>{"UIDL", "LIST 1", "RETR 1", "LIST 2", "RETR 2"};
        QCOMPARE(rig.table.messageId(3), FakeMailbox::uniqueId(numberedMessage(1)));
        QCOMPARE(rig.received["Home"],
                 QList<QByteArray>({"CAPA", "USER home", "PASS home-pw", "STAT"}) + fetch +
                     QList<QByteArray>{"QUIT"});
        QCOMPARE(rig.socket.sent.left(rig.socket.sent.indexOf("USER empty")),
                 rig.received["Home"].join("\r\n") + "\r\n" + "CAPA\r\n");
        QCOMPARE(rig.received["Empty"].mid(1),
                 QList<QByteArray>({"USER empty", "PASS empty-pw", "STAT"}) +
                     (pipelining ? QList<QByteArray>{"LIST"} : QList<QByteArray>()) +
                     QList<QByteArray>({"UIDL", "QUIT"}));
        // The bar starts at 0 of 0 and crosses once for each account's messages.
        QCOMPARE(rig.observer.calls, QStringList({"running", "progress 1", "at 0 of 0", "at 1 of 2",
                                                  "at 2 of 2", "at 1 of 1", "progress 0", "idle"}));
        QCOMPARE(rig.platform.busy, false);
    }

    // The size a LIST reports decides.
    void sizeLimit_data() {
        QTest::addColumn<QString>("maxSizeK");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("retrieved");
        QTest::newRow("exactly the limit") << "100" << qint64{102400} << false;
        QTest::newRow("a byte below") << "100" << qint64{102399} << true;
        QTest::newRow("fraction") << "0.5" << qint64{100} << true;
        QTest::newRow("beyond 32 bits") << "3000000" << qint64{3000000000} << true;
    }

    void sizeLimit() {
        QFETCH(QString, maxSizeK);
        QFETCH(qint64, size);
        QFETCH(bool, retrieved);
        FakeDesk rig;
        rig.global.settings[setting::MaxSizeK] = maxSizeK;
        rig.addMailbox("Home", numberedMessages(2));
        rig.overrides["Home LIST 1"] = "+OK 1 " + QByteArray::number(size) + "\r\n";
        rig.retrieval.Command1_Click();
        if (retrieved) {
            QCOMPARE(rig.row(1), (QStringList{"Home", QStringLiteral("%1k").arg(size / 1024),
                                              QString::number(size), "1", "email1.eml"}));
            QCOMPARE(rig.row(2), row("Home", 2, "2", "email2.eml"));
        } else {
            QCOMPARE(rig.row(1), row("Home", 2, "2", "email1.eml"));
            QVERIFY(!rig.table.isOccupied(2));
        }
        QCOMPARE(rig.lines(), accountLines("Home", 2) + QStringList{Tip});
    }

    void gridGrows_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("rows");
        QTest::newRow("ten rows left") << 39 << 50;
        QTest::newRow("nine rows left") << 40 << 75;
        QTest::newRow("twice") << 65 << 100;
    }

    void gridGrows() {
        QFETCH(int, count);
        QFETCH(int, rows);
        FakeDesk rig;
        rig.addMailbox("Home", numberedMessages(count));
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.table.grid().Rows(), rows);
        QCOMPARE(rig.table.occupiedRows(), count);
        QCOMPARE(rig.table.cell(count, col::File), QStringLiteral("email%1.eml").arg(count));
    }

    void noEnabledAccount() {
        FakeDesk rig;
        rig.addMailbox("Home", numberedMessages(1), false);
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.lines(), QStringList{Tip});
        QCOMPARE(rig.observer.calls,
                 QStringList({"running", "progress 1", "at 0 of 0", "progress 0", "idle"}));
    }

    void leftOverFilesAreDeletedFirst() {
        FakeDesk rig;
        for (const char* name : {"email1.eml", "EMAIL2.EML", "Email7.eml"})
            rig.write(QString::fromLatin1(name), "old");
        rig.addMailbox("Home", numberedMessages(1));
        rig.retrieval.Command1_Click();
        QCOMPARE(QDir(rig.global.DataFolder).entryList({"*.eml"}, QDir::Files),
                 QStringList{"email1.eml"});
    }

    // The window closing during a RETR ends the run there, touching nothing more.
    void abandonDuringRetr() {
        FakeDesk rig;
        rig.addMailbox("Home", numberedMessages(2));
        rig.addMailbox("Work", numberedMessages(1));
        rig.instead["Home RETR 1"] = [&] { rig.channel.abandon(); };
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.lines(),
                 QStringList({"Connect to Home", "Found 2 emails", "Checking messages for spam"}));
        QCOMPARE(rig.observer.calls,
                 QStringList({"running", "progress 1", "at 0 of 0", "at 1 of 2"}));
        QVERIFY(!rig.table.isOccupied(1));
        QCOMPARE(rig.platform.busy, true);
    }
};

QTEST_GUILESS_MAIN(TestRetrievalRun)
#include "test_retrieval_run.moc"
