#include "mail/mail_rig.h"

#include <QTimer>
#include <QtTest>

#include <cerrno>

// The program's own socket and clock on 127.0.0.1.
class TestMailLoopback : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void connectionErrorShowsTheBox_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("error");
        QTest::newRow("refused") << int{FakePop3Server::refusingPort()}
                                 << QStringLiteral("Error %1 Connection refused").arg(ECONNREFUSED);
        QTest::newRow("bad port") << 70000
                                  << QStringLiteral("Error %1 Invalid port number").arg(EINVAL);
    }

    void connectionErrorShowsTheBox() {
        QFETCH(int, port);
        QFETCH(QString, error);
        LiveDesk desk;
        desk.addAccount("Fake", "127.0.0.1", port, true);
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
