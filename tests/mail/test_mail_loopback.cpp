#include "mail/pop3_channel.h"
#include "mail/qt_socket_control.h"
#include "mail/qt_wait_clock.h"
#include "mail/recording_host.h"
#include "mail/retrieval_run.h"
#include "review/message_table.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "support/fake_pop3_server.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"

#include <QTimer>
#include <QtTest>

#include <cerrno>

namespace {

const QString Tip = QStringLiteral(
    "Click in Action column: Blank --> D (delete)--> B (blacklist) --> W (whitelist)");
const QByteArray Message = "From: a@example.org\r\nSubject: hello\r\n\r\n.dot\r\nbody\r\n";

// The program's own socket and clock against the fake server on 127.0.0.1.
struct Rig {
    TempHome home;
    Global global;
    QtSocketControl socket;
    QtWaitClock clock;
    ScriptedPlatform platform;
    TextPane pane;
    MessageTable table;
    RecordingHost host;
    Pop3Channel channel{socket, clock, platform, pane};
    RetrievalRun run{channel, global, table, pane, host, platform};
    FakePop3Server server;

    explicit Rig(int port = -1) {
        global.setUpDataFolder(home.documents());
        global.loadAll();
        server.mailbox.messages = {Message};
        const quint16 listening = server.listen();
        Account& account = global.accounts.row(1);
        account.AccountName = QStringLiteral("Fake");
        account.MailServer = QStringLiteral("127.0.0.1");
        account.Username = QStringLiteral("ann");
        account.Port = QString::number(port < 0 ? listening : port);
        account.Enabled = QStringLiteral("1");
    }
    QStringList lines() const {
        QStringList all = pane.text().split(QStringLiteral("\r\n"));
        all.removeLast();
        return all;
    }
};

} // namespace

class TestMailLoopback : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void getMail();
    void replyInChunksWithPauses();
    void errorGreeting();
    void refusedConnection();
    void badPort();
    void stopDuringAWait();
    void waitEndsAfterItsTime();
};

void TestMailLoopback::getMail() {
    Rig rig;
    rig.run.Command1_Click();
    QCOMPARE(rig.lines(), (QStringList{"Connect to Fake", "Found 1 emails",
                                       "Checking messages for spam", "Close connection", Tip}));
    QCOMPARE(rig.server.received,
             (QList<QByteArray>{"USER ann", "PASS ", "STAT", "LIST 1", "RETR 1", "QUIT"}));
    QCOMPARE(rig.home.read(QStringLiteral("Documents/Spam/email1.eml")),
             FakeMailbox::retrReply(Message));
    QCOMPARE(rig.socket.State(), 0);
}

void TestMailLoopback::replyInChunksWithPauses() {
    Rig rig;
    const QByteArray reply = FakeMailbox::retrReply(Message);
    rig.server.replies["RETR 1"] = {
        {reply.left(10), reply.mid(10, reply.size() - 13), reply.right(3).left(1), "\r\n"},
        20,
        false};
    rig.run.Command1_Click();
    QCOMPARE(rig.home.read(QStringLiteral("Documents/Spam/email1.eml")), reply);
    QCOMPARE(rig.table.cell(1, col::Bytes), QString::number(Message.size()));
    QCOMPARE(rig.lines().last(), Tip);
}

void TestMailLoopback::errorGreeting() {
    Rig rig;
    rig.server.greeting = {{"-ERR not now\r\n"}, 0, false};
    rig.run.Command1_Click();
    QCOMPARE(rig.lines(), (QStringList{"Connect to Fake", "Error - bad command", Tip}));
    QCOMPARE(rig.server.received, QList<QByteArray>{"USER ann"});
}

void TestMailLoopback::refusedConnection() {
    Rig rig(FakePop3Server::refusingPort());
    rig.run.Command1_Click();
    QCOMPARE(rig.lines(),
             (QStringList{"Connect to Fake", "Not connected", "Error - bad command", Tip}));
    QCOMPARE(rig.platform.boxes.size(), 1);
    QCOMPARE(rig.platform.boxes[0].title, QStringLiteral("Winsock error!"));
    QCOMPARE(rig.platform.boxes[0].text,
             QStringLiteral("Error messages aren't usually helpful, but for what it's worth...   "
                            "   \r\n\"Error %1 Connection refused\"\r\nCheck your internet "
                            "connection and email account settings.      ")
                 .arg(ECONNREFUSED));
}

void TestMailLoopback::badPort() {
    Rig rig(70000);
    rig.run.Command1_Click();
    QCOMPARE(rig.platform.boxes.size(), 1);
    QVERIFY(rig.platform.boxes[0].text.contains(
        QStringLiteral("\"Error %1 Invalid port number\"").arg(EINVAL)));
    QCOMPARE(rig.server.connections, 0);
}

void TestMailLoopback::stopDuringAWait() {
    Rig rig;
    rig.server.replies["RETR"] = {}; // silent
    QTimer::singleShot(50, [&] { rig.channel.Stop(); });
    rig.run.Command1_Click();
    QCOMPARE(rig.lines(), (QStringList{"Connect to Fake", "Found 1 emails",
                                       "Checking messages for spam", "Error - bad command", Tip}));
    QVERIFY(!rig.table.isOccupied(1));
    QCOMPARE(rig.socket.State(), 0);
}

void TestMailLoopback::waitEndsAfterItsTime() {
    QtWaitClock clock;
    const double start = clock.now();
    QVERIFY(!clock.waitUntil([] { return false; }, 0.05));
    QVERIFY(clock.now() - start > 0.05);
    bool fired = false;
    QTimer::singleShot(10, [&] { fired = true; });
    QVERIFY(clock.waitUntil([&] { return fired; }, 10));
}

QTEST_GUILESS_MAIN(TestMailLoopback)
#include "test_mail_loopback.moc"
