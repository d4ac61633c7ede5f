#include "mail/pop3_channel.h"
#include "mail/pop3_reply.h"
#include "review/text_pane.h"
#include "store/data_files.h"
#include "support/fake_socket.h"
#include "support/manual_clock.h"
#include "support/scripted_platform.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString WinsockText =
    QStringLiteral("Error messages aren't usually helpful, but for what it's worth...      \r\n"
                   "\"Error 111 Connection refused\"\r\n"
                   "Check your internet connection and email account settings.      ");

// The channel over a fake socket and a clock moved by yields.
struct Rig {
    FakeSocket socket;
    ManualClock clock;
    ScriptedPlatform platform;
    TextPane pane;
    Pop3Channel channel{socket, clock, platform, pane};
    Account account;

    Rig() {
        account.AccountName = QStringLiteral("Home");
        account.MailServer = QStringLiteral("pop.example.org");
        account.Username = QStringLiteral("ann");
        account.AccountPassword = QStringLiteral("secret");
        account.Port = QStringLiteral(" 110 ");
    }
    // The bytes arrive at a coming yield.
    void serve(const QByteArray& bytes) {
        clock.atNextYield([this, bytes] { socket.arrive(bytes); });
    }
    void connectGreeted() {
        serve("+OK ready\r\n");
        channel.startDialogue();
        QVERIFY(!channel.ConnectToServer(account));
    }
    QStringList lines() const {
        QStringList all = pane.text().split(QStringLiteral("\r\n"));
        all.removeLast();
        return all;
    }
};

} // namespace

class TestPop3Channel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void greetingAndConnect();
    void errorGreetingFailsTheFirstCommand();
    void noGreetingWithinTwentySeconds();
    void retrEnd_data();
    void retrEnd();
    void retrAnsweredErrIsOnlyATimeOut();
    void statusLineInTwoPieces();
    void sendWhileClosed();
    void laterCommandsFailAfterOneFailure();
    void socketErrorShowsTheBox();
    void stopDuringAWait();
    void stopWhenTheSocketWillNotClose();
    void serverClosesMidRetr();
    void closeConnectionWaitsForTheServerAfterQuit();
    void checkForMail();
    void abandonEndsTheWait();
    void replyNumbers_data();
    void replyNumbers();
};

void TestPop3Channel::greetingAndConnect() {
    Rig rig;
    rig.connectGreeted();
    QCOMPARE(rig.socket.host, QStringLiteral("pop.example.org"));
    QCOMPARE(rig.socket.port, 110);
    QCOMPARE(rig.channel.replyData, QStringLiteral("+OK ready\r\n"));
    QVERIFY(!rig.channel.commandError);
    QCOMPARE(rig.lines(), QStringList{QStringLiteral("Connect to Home")});
}

void TestPop3Channel::errorGreetingFailsTheFirstCommand() {
    Rig rig;
    rig.serve("-ERR go away\r\n");
    rig.channel.startDialogue();
    QVERIFY(!rig.channel.ConnectToServer(rig.account));
    QVERIFY(rig.channel.commandError);
    rig.serve("+OK\r\n");
    QVERIFY(rig.channel.sendMsg(QStringLiteral("USER ann"), 10));
    QCOMPARE(rig.socket.sent, QByteArray("USER ann\r\n"));
    QCOMPARE(rig.channel.replyData, QStringLiteral("+OK\r\n"));
}

void TestPop3Channel::noGreetingWithinTwentySeconds() {
    Rig rig;
    rig.channel.startDialogue();
    QVERIFY(rig.channel.ConnectToServer(rig.account));
    QCOMPARE(rig.clock.now(), 20.25); // the first moment more than 20 seconds on
    QCOMPARE(rig.lines(),
             (QStringList{QStringLiteral("Connect to Home"), QStringLiteral("Connect error")}));
}

void TestPop3Channel::retrEnd_data() {
    QTest::addColumn<QList<QByteArray>>("arrivals");
    QTest::addColumn<bool>("complete");
    const QByteArray status = "+OK 13 octets\r\n";
    QTest::newRow("whole") << QList<QByteArray>{status + "Hi\r\n.\r\n"} << true;
    QTest::newRow("final line alone") << QList<QByteArray>{status + "Hi\r\n", ".\r\n"} << true;
    QTest::newRow("split after dot") << QList<QByteArray>{status + "Hi\r\n.", "\r\n"} << true;
    QTest::newRow("split before LF") << QList<QByteArray>{status + "Hi\r", "\n.\r\n"} << true;
    QTest::newRow("byte by byte") << QList<QByteArray>{status + "Hi\r", "\n", ".", "\r", "\n"}
                                  << true;
    QTest::newRow("empty message") << QList<QByteArray>{"+OK 0 octets\r\n", ".\r\n"} << true;
    QTest::newRow("stuffed dot then end")
        << QList<QByteArray>{status + "..\r\n", "..x\r\n", ".\r\n"} << true;
    QTest::newRow("stuffed dot only") << QList<QByteArray>{status + "..\r\n"} << false;
    QTest::newRow("stuffed dot split") << QList<QByteArray>{status + "Hi\r\n.", ".\r\n"} << false;
    QTest::newRow("dot without CR LF") << QList<QByteArray>{status + "Hi\r\n.\n"} << false;
}

void TestPop3Channel::retrEnd() {
    QFETCH(QList<QByteArray>, arrivals);
    QFETCH(bool, complete);
    Rig rig;
    rig.connectGreeted();
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("email1.eml")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    rig.channel.messageFile = &file;
    rig.channel.setCurrentCommand(QStringLiteral("RETR"));
    for (const QByteArray& arrival : arrivals)
        rig.serve(arrival);
    const double start = rig.clock.now();
    QCOMPARE(rig.channel.sendMsg(QStringLiteral("RETR 1"), 60), !complete);
    file.close();
    QCOMPARE(rig.channel.replyDone, complete);
    QCOMPARE(rig.clock.now() - start, complete ? 0.0 : 60.25);
    QCOMPARE(rig.channel.replyData, QString::fromLatin1(arrivals.last()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), arrivals.join());
}

void TestPop3Channel::retrAnsweredErrIsOnlyATimeOut() {
    Rig rig;
    rig.connectGreeted();
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("email1.eml")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    rig.channel.messageFile = &file;
    rig.channel.setCurrentCommand(QStringLiteral("RETR"));
    rig.serve("-ERR no such message\r\n");
    rig.clock.atNextYield([&] { QVERIFY(!rig.channel.commandError); });
    QVERIFY(rig.channel.sendMsg(QStringLiteral("RETR 9"), 60));
    QCOMPARE(rig.clock.now(), 60.25);
    file.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("-ERR no such message\r\n"));
}

void TestPop3Channel::statusLineInTwoPieces() {
    Rig rig;
    rig.connectGreeted();
    rig.serve("+OK 5 ");
    rig.serve("12345\r\n");
    QVERIFY(!rig.channel.sendMsg(QStringLiteral("STAT"), 10));
    QCOMPARE(rig.channel.replyData, QStringLiteral("+OK 5 "));
    QCOMPARE(rig.clock.pendingEvents(), 1);
}

void TestPop3Channel::sendWhileClosed() {
    Rig rig;
    QVERIFY(rig.channel.sendMsg(QStringLiteral("STAT"), 10));
    QVERIFY(!rig.channel.commandError);
    QVERIFY(rig.socket.sent.isEmpty());
    QCOMPARE(rig.clock.yields, 0);
    QCOMPARE(rig.lines(), QStringList{QStringLiteral("Not connected")});
}

void TestPop3Channel::laterCommandsFailAfterOneFailure() {
    Rig rig;
    rig.connectGreeted();
    rig.serve("-ERR bad password\r\n");
    QVERIFY(rig.channel.sendMsg(QStringLiteral("PASS x"), 10));
    rig.serve("+OK 1 20\r\n");
    QVERIFY(rig.channel.sendMsg(QStringLiteral("STAT"), 10));
    QCOMPARE(rig.socket.sent, QByteArray("PASS x\r\nSTAT\r\n"));
}

void TestPop3Channel::socketErrorShowsTheBox() {
    Rig rig;
    rig.platform.busyDepth = 1;
    rig.clock.atNextYield([&] { rig.socket.fail(111, QStringLiteral("Connection refused")); });
    rig.channel.startDialogue();
    QVERIFY(!rig.channel.ConnectToServer(rig.account));
    QVERIFY(rig.channel.commandError);
    QVERIFY(rig.channel.replyDone);
    QCOMPARE(rig.platform.busyDepth, 0);
    QCOMPARE(rig.platform.boxes.size(), 1);
    QCOMPARE(rig.platform.boxes[0].text, WinsockText);
    QCOMPARE(rig.platform.boxes[0].title, QStringLiteral("Winsock error!"));
    QCOMPARE(rig.platform.boxes[0].icon, Platform::Icon::Critical);
    QCOMPARE(rig.platform.boxes[0].buttons, Platform::Buttons::Ok);
}

void TestPop3Channel::stopDuringAWait() {
    Rig rig;
    rig.connectGreeted();
    rig.clock.atNextYield([&] { rig.channel.Stop(); });
    QVERIFY(rig.channel.sendMsg(QStringLiteral("LIST 1"), 10));
    QVERIFY(rig.channel.commandError);
    QCOMPARE(rig.socket.closes, 1);
    QCOMPARE(rig.socket.State(), 0);
    QCOMPARE(rig.clock.now(), 0.0);
    QCOMPARE(rig.lines(), QStringList{QStringLiteral("Connect to Home")});
}

void TestPop3Channel::stopWhenTheSocketWillNotClose() {
    Rig rig;
    rig.connectGreeted();
    rig.socket.stateAfterClose = 8;
    rig.clock.atNextYield([&] { rig.channel.Stop(); });
    QVERIFY(rig.channel.sendMsg(QStringLiteral("LIST 1"), 10));
    QCOMPARE(rig.lines(), (QStringList{QStringLiteral("Connect to Home"),
                                       QStringLiteral("Error - close connection")}));
}

void TestPop3Channel::serverClosesMidRetr() {
    Rig rig;
    rig.connectGreeted();
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("email1.eml")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    rig.channel.messageFile = &file;
    rig.channel.setCurrentCommand(QStringLiteral("RETR"));
    rig.serve("+OK 100 octets\r\nHalf a mess");
    rig.clock.atNextYield([&] { rig.socket.serverCloses(); });
    QVERIFY(rig.channel.sendMsg(QStringLiteral("RETR 1"), 60));
    QCOMPARE(rig.socket.closes, 1);
    QCOMPARE(rig.socket.State(), 0);
    QCOMPARE(rig.lines(),
             (QStringList{QStringLiteral("Connect to Home"), QStringLiteral("Close connection")}));
    QVERIFY(!rig.channel.CloseConnection());
}

void TestPop3Channel::closeConnectionWaitsForTheServerAfterQuit() {
    Rig rig;
    rig.connectGreeted();
    rig.serve("+OK bye\r\n");
    QVERIFY(!rig.channel.quit());
    rig.clock.atNextYield([&] { rig.socket.serverCloses(); });
    QVERIFY(!rig.channel.CloseConnection());
    QCOMPARE(rig.socket.closes, 1);
    QCOMPARE(rig.lines(),
             (QStringList{QStringLiteral("Connect to Home"), QStringLiteral("Close connection")}));
}

void TestPop3Channel::checkForMail() {
    Rig rig;
    rig.socket.onSend = [&](const QByteArray& command) {
        rig.serve(command.startsWith("STAT") ? "+OK 5 12345\r\n" : "+OK\r\n");
    };
    rig.serve("+OK ready\r\n");
    qint64 count = -1;
    qint64 sizeK = -1;
    rig.channel.CheckForMail(rig.account, count, sizeK);
    QVERIFY(!rig.channel.commandError);
    QCOMPARE(count, 5);
    QCOMPARE(sizeK, 12);
    QCOMPARE(rig.socket.sent, QByteArray("USER ann\r\nPASS secret\r\nSTAT\r\nQUIT\r\n"));
    QCOMPARE(rig.channel.currentCommand(), QStringLiteral("QUIT"));
}

void TestPop3Channel::abandonEndsTheWait() {
    Rig rig;
    rig.connectGreeted();
    rig.clock.atNextYield([&] { rig.channel.abandon(); });
    QVERIFY(rig.channel.sendMsg(QStringLiteral("RETR 1"), 60));
    QVERIFY(rig.channel.abandoned());
    QCOMPARE(rig.clock.now(), 0.0);
}

void TestPop3Channel::replyNumbers_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<qint64>("sizeK");
    QTest::addColumn<qint64>("listSize");
    QTest::newRow("stat") << "+OK 5 12345\r\n" << qint64{5} << qint64{12} << qint64{12345};
    QTest::newRow("list") << "+OK 3 2048\r\n" << qint64{3} << qint64{2} << qint64{2048};
    QTest::newRow("over 16 and 32 bits") << "+OK 70000 5000000000\r\n"
                                         << qint64{70000} << qint64{4882812} << qint64{5000000000};
    QTest::newRow("extra blanks") << "+OK  7  99 \r\n" << qint64{7} << qint64{0} << qint64{0};
    QTest::newRow("one blank") << "+OK 5\r\n" << qint64{0} << qint64{0} << qint64{5};
    QTest::newRow("no blank") << "+OK\r\n" << qint64{0} << qint64{0} << qint64{0};
    QTest::newRow("empty") << "" << qint64{0} << qint64{0} << qint64{0};
    QTest::newRow("garbage") << "+OK x y\r\n" << qint64{0} << qint64{0} << qint64{0};
    QTest::newRow("octets") << "+OK 21 octets\r\n" << qint64{21} << qint64{0} << qint64{0};
}

void TestPop3Channel::replyNumbers() {
    QFETCH(QString, reply);
    QFETCH(qint64, count);
    QFETCH(qint64, sizeK);
    QFETCH(qint64, listSize);
    QCOMPARE(pop3::statCount(reply), count);
    QCOMPARE(pop3::statSizeK(reply), sizeK);
    QCOMPARE(pop3::listSize(reply), listSize);
}

QTEST_GUILESS_MAIN(TestPop3Channel)
#include "test_pop3_channel.moc"
