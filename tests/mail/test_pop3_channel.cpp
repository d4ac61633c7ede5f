#include "mail/mail_rig.h"
#include "mail/pop3_reply.h"

#include <QtTest>

namespace {

// The channel alone, on account "Home", each test serving the answers itself.
struct Rig : FakeDesk {
    QFile mail{global.dataPath(QStringLiteral("email1.eml"))};

    Rig() {
        addMailbox(QStringLiteral("Home"), {});
        socket.onSend = nullptr;
    }
    const Account& account() const { return global.accounts.row(1); }
    // Answers each command with `answer`, but refuses CAPA as an older server does.
    void replyWith(const std::function<void(const QByteArray&)>& answer) {
        socket.onSend = [this, answer](const QByteArray& command) {
            command.startsWith("CAPA") ? serve("-ERR\r\n") : answer(command);
        };
    }
    // Logs in with USER and PASS answered; true when that failed.
    bool logIn() {
        replyWith([this](const QByteArray&) { serve("+OK\r\n"); });
        const bool failed = channel.logIn(account());
        socket.onSend = nullptr;
        socket.sent.clear();
        return failed;
    }
};

} // namespace

class TestPop3Channel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void noGreetingWithinTwentySeconds() {
        Rig rig;
        rig.greeting.clear();
        QVERIFY(rig.channel.logIn(rig.account()));
        QCOMPARE(rig.clock.now(), 20.25); // the first moment more than 20 seconds on
        QCOMPARE(rig.lines(), QStringList({"Connect to Home", "Connect error"}));
    }

    void retrEnd_data() {
        QTest::addColumn<QList<QByteArray>>("arrivals");
        QTest::addColumn<bool>("complete");
        const QByteArray status = "+OK 13 octets\r\n";
        QTest::newRow("whole") << QList<QByteArray>{status + "Hi\r\n.\r\n"} << true;
        QTest::newRow("final line alone") << QList<QByteArray>{status + "Hi\r\n", ".\r\n"} << true;
        QTest::newRow("split after dot") << QList<QByteArray>{status + "Hi\r\n.", "\r\n"} << true;
        QTest::newRow("byte by byte")
            << QList<QByteArray>{status + "Hi\r", "\n", ".", "\r", "\n"} << true;
        QTest::newRow("stuffed dot then end")
            << QList<QByteArray>{status + "..\r\n", "..x\r\n", ".\r\n"} << true;
        QTest::newRow("stuffed dot only") << QList<QByteArray>{status + "..\r\n"} << false;
        QTest::newRow("stuffed dot split")
            << QList<QByteArray>{status + "Hi\r\n.", ".\r\n"} << false;
        QTest::newRow("dot without CR LF") << QList<QByteArray>{status + "Hi\r\n.\n"} << false;
        // Refused: the RETR fails at its status line, which still goes to the file.
        QTest::newRow("answered -ERR") << QList<QByteArray>{"-ERR no such message\r\n"} << false;
    }

    void retrEnd() {
        QFETCH(QList<QByteArray>, arrivals);
        QFETCH(bool, complete);
        Rig rig;
        QVERIFY(!rig.logIn());
        for (const QByteArray& arrival : arrivals)
            rig.serve(arrival);
        const double start = rig.clock.now();
        QVERIFY(rig.mail.open(QIODevice::WriteOnly));
        QCOMPARE(rig.channel.retr(1, 13, rig.mail), !complete);
        rig.mail.close();
        QCOMPARE(rig.channel.failed(), !complete);
        const bool refused = arrivals[0].startsWith("-ERR");
        QCOMPARE(rig.clock.now() - start, complete || refused ? 0.0 : 60.25);
        QCOMPARE(rig.socket.sent, QByteArray("RETR 1\r\n"));
        QCOMPARE(rig.file(QStringLiteral("email1.eml")), arrivals.join());
    }

    void retrIntoAFileNotOpenFailsAtOnce() {
        Rig rig;
        QVERIFY(!rig.logIn());
        QVERIFY(rig.channel.retr(1, 13, rig.mail));
        QVERIFY(rig.channel.failed());
        QVERIFY(rig.socket.sent.isEmpty());
    }

    // A server that closes the connection in the middle of a reply ends its wait at once, not
    // after the RETR's minute.
    void serverClosingEndsTheWait() {
        Rig rig;
        QVERIFY(!rig.logIn());
        rig.socket.onSend = [&rig](const QByteArray&) {
            rig.serve("+OK\r\nSubject: cut sh");
            rig.socket.serverCloses();
        };
        QVERIFY(rig.mail.open(QIODevice::WriteOnly));
        QVERIFY(rig.channel.retr(1, 13, rig.mail));
        QVERIFY2(rig.clock.now() < 60, qPrintable(QString::number(rig.clock.now())));
    }

    // The RETRs sent ahead to a pipelining server are taken in their order: one asked out of
    // turn would be handed another message's reply, so the dialogue fails with nothing written.
    void retrOutOfTurnFails() {
        FakeDesk desk;
        desk.capabilities = {"PIPELINING"};
        desk.addMailbox("A", numberedMessages(2));
        QVERIFY(!desk.channel.logIn(desk.global.accounts.row(1)));
        desk.channel.retrAhead({1, 2});
        QFile file(desk.global.dataPath("email1.eml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(desk.channel.retr(2, 100, file));
        file.close();
        QCOMPARE(file.size(), 0);
    }

    void stopDuringAWait_data() {
        QTest::addColumn<int>("stateAfterClose");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("socket closes") << 0 << 0.0 << QStringList{"Connect to Home"};
        // Stop waits 20 seconds for a socket to close.
        QTest::newRow("socket will not close")
            << 8 << 20.25 << QStringList{"Connect to Home", "Error - close connection"};
    }

    void stopDuringAWait() {
        QFETCH(int, stateAfterClose);
        QFETCH(double, seconds);
        QFETCH(QStringList, lines);
        Rig rig;
        QVERIFY(!rig.logIn());
        rig.socket.stateAfterClose = stateAfterClose;
        rig.clock.atNextYield([&] { rig.channel.Stop(); });
        const double start = rig.clock.now();
        QVERIFY(!rig.channel.list(1));
        QVERIFY(rig.channel.failed());
        QCOMPARE(rig.socket.closes, 1);
        QCOMPARE(rig.socket.State(), stateAfterClose);
        QCOMPARE(rig.clock.now() - start, seconds);
        QCOMPARE(rig.lines(), lines);
    }

    void replyNumbers_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("sizeK");
        QTest::addColumn<qint64>("listSize");
        QTest::newRow("stat") << "+OK 5 12345\r\n" << qint64{5} << qint64{12} << qint64{12345};
        QTest::newRow("over 16 and 32 bits")
            << "+OK 70000 5000000000\r\n"
            << qint64{70000} << qint64{4882812} << qint64{5000000000};
        QTest::newRow("one blank") << "+OK 5\r\n" << qint64{0} << qint64{0} << qint64{5};
        QTest::newRow("no blank") << "+OK\r\n" << qint64{0} << qint64{0} << qint64{0};
        QTest::newRow("octets") << "+OK 21 octets\r\n" << qint64{21} << qint64{0} << qint64{0};
    }

    void replyNumbers() {
        QFETCH(QString, reply);
        QFETCH(qint64, count);
        QFETCH(qint64, sizeK);
        QFETCH(qint64, listSize);
        QCOMPARE(pop3::statCount(reply), count);
        QCOMPARE(pop3::statSizeK(reply), sizeK);
        QCOMPARE(pop3::listSize(reply), listSize);
    }
};

QTEST_GUILESS_MAIN(TestPop3Channel)
#include "test_pop3_channel.moc"
