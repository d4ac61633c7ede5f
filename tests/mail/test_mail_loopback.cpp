#include "mail/mail_rig.h"

#include <QTimer>
#include <QtTest>

#include <cerrno>

// The program's own socket and clock on 127.0.0.1.
class TestMailLoopback : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void connectionErrorShowsTheBox_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("error");
        const QString local = QStringLiteral("127.0.0.1");
        QTest::newRow("refused") << local << int{FakePop3Server::refusingPort()} << false
                                 << QStringLiteral("Error %1 Connection refused").arg(ECONNREFUSED);
        QTest::newRow("bad port") << local << 70000 << false
                                  << QStringLiteral("Error %1 Invalid port number").arg(EINVAL);
        // A name no resolver is asked about: its first label is longer than DNS allows.
        QTest::newRow("unknown host")
            << QString(64, QLatin1Char('a')) + ".invalid" << 110 << false
            << QStringLiteral("Error %1 Host not found").arg(EHOSTUNREACH);
        // A server that answers in the clear on the port that expects TLS.
        QTest::newRow("TLS handshake fails")
            << local << 0 << true
            << QStringLiteral("Error %1 Error during SSL handshake: error:0A00010B:SSL "
                              "routines::wrong version number")
                   .arg(EPROTO);
    }

    void connectionErrorShowsTheBox() {
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(bool, tls);
        QFETCH(QString, error);
        FakePop3Server server;
        LiveDesk desk;
        if (tls) {
            port = server.listen();
            desk.socket.setTlsPort(port);
        }
        desk.addAccount("Fake", host, port, true);
        desk.retrieval.Command1_Click();
        QCOMPARE(desk.lines(),
                 QStringList({"Connect to Fake", "Not connected", "Error - bad command", Tip}));
        QCOMPARE(desk.platform.boxes.size(), 1);
        QCOMPARE(desk.platform.boxes[0].text,
                 "Error messages aren't usually helpful, but for what it's worth...      \r\n\"" +
                     error +
                     "\"\r\nCheck your internet connection and email account settings.      ");
        QCOMPARE(desk.platform.boxes[0].title, QStringLiteral("Winsock error!"));
        QCOMPARE(desk.platform.boxes[0].icon, Platform::Icon::Critical);
        QCOMPARE(desk.platform.boxes[0].buttons, Platform::Buttons::Ok);
        // The box takes the busy cursor away, and the run's end once more.
        QCOMPARE(desk.platform.busy, false);
    }

    void waitEndsAfterItsTime() {
        QtWaitClock clock;
        const double start = clock.now();
        QVERIFY(!clock.waitUntil([] { return false; }, 0.05));
        QVERIFY(clock.now() - start > 0.05);
        bool fired = false;
        QTimer::singleShot(10, [&] { fired = true; });
        QVERIFY(clock.waitUntil([&] { return fired; }, 10));
    }
};

QTEST_GUILESS_MAIN(TestMailLoopback)
#include "test_mail_loopback.moc"
