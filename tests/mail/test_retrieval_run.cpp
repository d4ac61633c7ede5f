#include "mail/pop3_channel.h"
#include "mail/recording_host.h"
#include "mail/retrieval_run.h"
#include "review/message_table.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "support/fake_pop3_server.h"
#include "support/fake_socket.h"
#include "support/manual_clock.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"

#include <QDir>
#include <QtTest>

namespace {

const QString Tip = QStringLiteral(
    "Click in Action column: Blank --> D (delete)--> B (blacklist) --> W (whitelist)");

QByteArray message(int number, qsizetype size = 0) {
    QByteArray text = "From: a" + QByteArray::number(number) + "@example.org\r\nSubject: s" +
                      QByteArray::number(number) + "\r\n\r\n";
    if (size > text.size() + 2)
        text += QByteArray(size - text.size() - 2, 'x');
    return text + "\r\n";
}

QList<QByteArray> messages(int count) {
    QList<QByteArray> all;
    for (int i = 1; i <= count; ++i)
        all.append(message(i));
    return all;
}

// A retrieval run over fake servers: each account's MailServer names a mailbox, and answers
// arrive at the next yield of a clock moved by hand, so time-outs pass at once.
struct Rig {
    TempHome home;
    Global global;
    FakeSocket socket;
    ManualClock clock;
    ScriptedPlatform platform;
    TextPane pane;
    MessageTable table;
    RecordingHost host;
    Pop3Channel channel{socket, clock, platform, pane};
    RetrievalRun run{channel, global, table, pane, host, platform};
    QHash<QString, FakeMailbox> mailboxes;
    QHash<QByteArray, QByteArray> overrides; // by server and command line: "B RETR 2"
    std::function<void()> duringRetr;

    Rig() {
        global.setUpDataFolder(home.documents());
        global.loadAll();
        socket.onConnect = [this] { serve("+OK ready\r\n"); };
        socket.onSend = [this](const QByteArray& sent) { answer(sent.chopped(2)); };
    }
    void addAccount(const QString& name, const QList<QByteArray>& mail, bool enabled = true) {
        const int row = global.accounts.count() + 1;
        Account& account = global.accounts.row(row);
        account.AccountName = name;
        account.MailServer = name;
        account.Username = name.toLower();
        account.AccountPassword = QStringLiteral("pw");
        account.Port = QStringLiteral("110");
        account.Enabled = enabled ? QStringLiteral("1") : QString();
        mailboxes[name].messages = mail;
    }
    void serve(const QByteArray& bytes) {
        clock.atNextYield([this, bytes] { socket.arrive(bytes); });
    }
    void answer(const QByteArray& command) {
        const QByteArray key = socket.host.toLatin1() + ' ' + command;
        if (command.startsWith("RETR") && duringRetr)
            clock.atNextYield(duringRetr);
        serve(overrides.contains(key) ? overrides.value(key)
                                      : mailboxes[socket.host].answer(command));
        if (FakeMailbox::isQuit(command))
            clock.atNextYield([this] { socket.serverCloses(); });
    }
    QStringList lines() const {
        QStringList all = pane.text().split(QStringLiteral("\r\n"));
        all.removeLast();
        return all;
    }
    QStringList row(int r) const {
        return {table.cell(r, col::Account), table.cell(r, col::Size), table.cell(r, col::Bytes),
                table.cell(r, col::N), table.cell(r, col::File)};
    }
    QByteArray file(const QString& name) const {
        return home.read(QStringLiteral("Documents/Spam/") + name);
    }
};

QStringList accountLines(const QString& name, int found) {
    return {QStringLiteral("Connect to ") + name, QStringLiteral("Found %1 emails").arg(found),
            QStringLiteral("Checking messages for spam"), QStringLiteral("Close connection")};
}

} // namespace

class TestRetrievalRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoAccounts();
    void failedAccountKeepsItsRows();
    void sizeLimit_data();
    void sizeLimit();
    void gridGrows_data();
    void gridGrows();
    void progressBar();
    void emptyMailbox();
    void noEnabledAccount();
    void busyRefusal();
    void socketThatWillNotClose();
    void leftOverFilesAreDeletedFirst();
    void abandonDuringRetr();
    void countBeyond16Bits();
    void sizeBeyond32Bits();
};

void TestRetrievalRun::twoAccounts() {
    Rig rig;
    rig.addAccount(QStringLiteral("Off"), messages(1), false);
    rig.addAccount(QStringLiteral("Home"), messages(2));
    rig.addAccount(QStringLiteral("Work"), messages(1));
    rig.run.Command1_Click();
    QCOMPARE(rig.lines(), accountLines(QStringLiteral("Home"), 2) +
                              accountLines(QStringLiteral("Work"), 1) + QStringList{Tip});
    QCOMPARE(rig.socket.connects, 2);
    const QString bytes1 = QString::number(message(1).size());
    QCOMPARE(rig.row(1), (QStringList{"Home", "0k", bytes1, "1", "email1.eml"}));
    QCOMPARE(rig.row(2),
             (QStringList{"Home", "0k", QString::number(message(2).size()), "2", "email2.eml"}));
    QCOMPARE(rig.row(3), (QStringList{"Work", "0k", bytes1, "1", "email3.eml"}));
    QVERIFY(!rig.table.isOccupied(4));
    QCOMPARE(rig.file(QStringLiteral("email2.eml")), FakeMailbox::retrReply(message(2)));
    QCOMPARE(rig.socket.sent, QByteArray("USER home\r\nPASS pw\r\nSTAT\r\nLIST 1\r\nRETR 1\r\n"
                                         "LIST 2\r\nRETR 2\r\nQUIT\r\n"
                                         "USER work\r\nPASS pw\r\nSTAT\r\nLIST 1\r\nRETR 1\r\n"
                                         "QUIT\r\n"));
    QCOMPARE(rig.host.calls.first(), QStringLiteral("Buttons 0"));
    QCOMPARE(rig.host.calls.last(), QStringLiteral("Buttons 1"));
    QCOMPARE(rig.platform.busyDepth, 0);
}

void TestRetrievalRun::failedAccountKeepsItsRows() {
    Rig rig;
    rig.addAccount(QStringLiteral("A"), messages(2));
    rig.addAccount(QStringLiteral("B"), messages(1));
    rig.overrides["A RETR 2"] = "-ERR gone\r\n";
    rig.run.Command1_Click();
    QCOMPARE(rig.lines(), (QStringList{"Connect to A", "Found 2 emails",
                                       "Checking messages for spam", "Error - bad command"} +
                           accountLines(QStringLiteral("B"), 1) + QStringList{Tip}));
    QCOMPARE(rig.row(1).at(4), QStringLiteral("email1.eml"));
    QCOMPARE(rig.row(2),
             (QStringList{"B", "0k", QString::number(message(1).size()), "1", "email3.eml"}));
    QCOMPARE(rig.file(QStringLiteral("email2.eml")), QByteArray("-ERR gone\r\n"));
    QVERIFY(!rig.table.isOccupied(3));
}

void TestRetrievalRun::sizeLimit_data() {
    QTest::addColumn<QString>("maxSizeK");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("retrieved");
    QTest::newRow("exactly the limit") << "100" << 102400 << false;
    QTest::newRow("a byte below") << "100" << 102399 << true;
    QTest::newRow("far above") << "100" << 300000 << false;
    QTest::newRow("limit with blanks") << " 2" << 2047 << true;
    QTest::newRow("fraction") << "0.5" << 100 << true;
}

void TestRetrievalRun::sizeLimit() {
    QFETCH(QString, maxSizeK);
    QFETCH(int, size);
    QFETCH(bool, retrieved);
    Rig rig;
    rig.global.settings[setting::MaxSizeK] = maxSizeK;
    rig.addAccount(QStringLiteral("Home"), {message(1, size), message(2)});
    rig.run.Command1_Click();
    const QStringList small{"Home", "0k", QString::number(message(2).size()), "2"};
    if (retrieved) {
        QCOMPARE(rig.row(1), (QStringList{"Home", QStringLiteral("%1k").arg(size / 1024),
                                          QString::number(size), "1", "email1.eml"}));
        QCOMPARE(rig.row(2), small + QStringList{"email2.eml"});
    } else {
        QCOMPARE(rig.row(1), small + QStringList{"email1.eml"});
        QVERIFY(!rig.table.isOccupied(2));
    }
    QCOMPARE(rig.lines(), accountLines(QStringLiteral("Home"), 2) + QStringList{Tip});
}

void TestRetrievalRun::gridGrows_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("rows");
    QTest::newRow("ten rows left") << 39 << 50;
    QTest::newRow("nine rows left") << 40 << 75;
    QTest::newRow("twice") << 65 << 100;
}

void TestRetrievalRun::gridGrows() {
    QFETCH(int, count);
    QFETCH(int, rows);
    Rig rig;
    rig.addAccount(QStringLiteral("Home"), messages(count));
    rig.run.Command1_Click();
    QCOMPARE(rig.table.grid().Rows(), rows);
    QCOMPARE(rig.table.occupiedRows(), count);
    QCOMPARE(rig.table.cell(count, col::File), QStringLiteral("email%1.eml").arg(count));
}

void TestRetrievalRun::progressBar() {
    Rig rig;
    rig.addAccount(QStringLiteral("Home"), messages(4));
    rig.run.Command1_Click();
    QCOMPARE(rig.host.calls,
             (QStringList{"Buttons 0", "progress 1", "bar 60", "bar 903", "bar 1807", "bar 2711",
                          "bar 3615", "progress 0", "Buttons 1"}));
}

void TestRetrievalRun::emptyMailbox() {
    Rig rig;
    rig.addAccount(QStringLiteral("Home"), {});
    rig.run.Command1_Click();
    QCOMPARE(rig.lines(), accountLines(QStringLiteral("Home"), 0) + QStringList{Tip});
    QCOMPARE(rig.socket.sent, QByteArray("USER home\r\nPASS pw\r\nSTAT\r\nQUIT\r\n"));
    QVERIFY(!rig.table.isOccupied(1));
}

void TestRetrievalRun::noEnabledAccount() {
    Rig rig;
    rig.addAccount(QStringLiteral("Home"), messages(1), false);
    rig.run.Command1_Click();
    QCOMPARE(rig.lines(), QStringList{Tip});
    QCOMPARE(rig.socket.connects, 0);
    QCOMPARE(rig.host.calls,
             (QStringList{"Buttons 0", "progress 1", "bar 60", "progress 0", "Buttons 1"}));
}

void TestRetrievalRun::busyRefusal() {
    Rig rig;
    rig.addAccount(QStringLiteral("Home"), messages(1));
    rig.table.setCell(1, col::File, QStringLiteral("old.eml"));
    rig.host.state = QStringLiteral("Busy");
    rig.run.Command1_Click();
    QCOMPARE(rig.pane.text(), QStringLiteral("Busy, wait a minute...\r\n"));
    QVERIFY(!rig.table.isOccupied(1));
    QCOMPARE(rig.socket.connects, 0);
    QVERIFY(rig.host.calls.isEmpty());
}

void TestRetrievalRun::socketThatWillNotClose() {
    Rig rig;
    rig.addAccount(QStringLiteral("Home"), messages(1));
    rig.socket.setState(SocketControl::Connected);
    rig.socket.stateAfterClose = SocketControl::Connected;
    rig.run.Command1_Click();
    QCOMPARE(rig.lines(), QStringList{"Error - close connection"});
    QCOMPARE(rig.socket.connects, 0);
    QVERIFY(rig.host.calls.isEmpty());
}

void TestRetrievalRun::leftOverFilesAreDeletedFirst() {
    Rig rig;
    for (const char* name : {"email1.eml", "EMAIL2.EML", "Email7.eml"})
        rig.home.write(QStringLiteral("Documents/Spam/") + QString::fromLatin1(name), "old");
    rig.home.write(QStringLiteral("Documents/Spam/notes.txt"), "kept");
    rig.addAccount(QStringLiteral("Home"), messages(1));
    rig.run.Command1_Click();
    QDir folder(rig.global.DataFolder);
    QCOMPARE(folder.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name),
             QStringList{"email1.eml"});
    QCOMPARE(rig.file(QStringLiteral("email1.eml")), FakeMailbox::retrReply(message(1)));
    QCOMPARE(rig.file(QStringLiteral("notes.txt")), QByteArray("kept"));
}

void TestRetrievalRun::abandonDuringRetr() {
    Rig rig;
    rig.addAccount(QStringLiteral("Home"), messages(2));
    rig.addAccount(QStringLiteral("Work"), messages(1));
    rig.duringRetr = [&] { rig.channel.abandon(); };
    rig.run.Command1_Click();
    QCOMPARE(rig.lines(),
             (QStringList{"Connect to Home", "Found 2 emails", "Checking messages for spam"}));
    QCOMPARE(rig.host.calls, (QStringList{"Buttons 0", "progress 1", "bar 60", "bar 1807"}));
    QVERIFY(!rig.table.isOccupied(1));
    QCOMPARE(rig.socket.connects, 1);
    QCOMPARE(rig.platform.busyDepth, 1);
}

void TestRetrievalRun::countBeyond16Bits() {
    Rig rig;
    // Copies of one large message share its bytes; only number 32768 is below the limit.
    QList<QByteArray> mail(33000, message(0, 200 * 1024));
    mail[32767] = message(1);
    rig.addAccount(QStringLiteral("Big"), mail);
    rig.run.Command1_Click();
    QCOMPARE(rig.lines(), accountLines(QStringLiteral("Big"), 33000) + QStringList{Tip});
    QCOMPARE(rig.row(1),
             (QStringList{"Big", "0k", QString::number(message(1).size()), "32768", "email1.eml"}));
    QVERIFY(!rig.table.isOccupied(2));
    QVERIFY(rig.socket.sent.endsWith("LIST 33000\r\nQUIT\r\n"));
    QVERIFY(rig.socket.sent.contains("LIST 32768\r\nRETR 32768\r\nLIST 32769\r\n"));
}

void TestRetrievalRun::sizeBeyond32Bits() {
    Rig rig;
    rig.global.settings[setting::MaxSizeK] = QStringLiteral("3000000");
    rig.addAccount(QStringLiteral("Big"), messages(1));
    rig.overrides["Big LIST 1"] = "+OK 1 3000000000\r\n";
    rig.run.Command1_Click();
    QCOMPARE(rig.row(1), (QStringList{"Big", "2929687k", "3000000000", "1", "email1.eml"}));
}

QTEST_GUILESS_MAIN(TestRetrievalRun)
#include "test_retrieval_run.moc"
