#include "mail/mail_rig.h"
#include "support/dovecot_fixture.h"

#include <QDir>
#include <QSslCertificate>
#include <QtTest>

#include <cerrno>

// What only a real server shows: certificate trust over POP3S and STLS, and a mailbox that
// another client changes between Get mail and Process.
namespace {

// A message of exactly `size` bytes.
QByteArray sized(qsizetype size) {
    const QByteArray head =
        "From: big@example.org\r\nSubject: size " + QByteArray::number(size) + "\r\n\r\n";
    return head + QByteArray(size - head.size() - 2, 'x') + "\r\n";
}

void trustServer(LiveDesk& desk, const DovecotFixture& server) {
    desk.socket.addCaCertificates(QSslCertificate::fromPath(server.caCertificateFile()));
}

// A desk with account "Home" disabled, "Work" over POP3S and "Club" over plain POP3.
struct Rig : LiveDesk {
    explicit Rig(const DovecotFixture& server) {
        global.settings[setting::MaxSizeK] = QStringLiteral("100");
        socket.setTlsPort(server.pop3sPort());
        addAccount(QStringLiteral("Home"), DovecotFixture::host(), server.pop3Port(), false);
        addAccount(QStringLiteral("Work"), DovecotFixture::host(), server.pop3sPort(), true);
        addAccount(QStringLiteral("Club"), DovecotFixture::host(), server.pop3Port(), true);
    }
};

// A desk trusting the server, with the one account "Moved".
struct MovedDesk : LiveDesk {
    explicit MovedDesk(const DovecotFixture& server) {
        trustServer(*this, server);
        addAccount(QStringLiteral("Moved"), DovecotFixture::host(), server.pop3Port(), true);
    }
};

} // namespace

class TestDovecot : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        work_ = {testData(QStringLiteral("mail/plain_text.eml")),
                 testData(QStringLiteral("mail/dot_stuffed_lines.eml"))};
        club_ = {sized(102400), sized(102399), testData(QStringLiteral("mail/latin1_bytes.eml")),
                 sized(150000)};
        QVERIFY(!work_.contains(QByteArray()) && !club_.contains(QByteArray()));
        const QString error = server_.start({{"home", "home-pw", {work_[0]}},
                                             {"work", "work-pw", work_},
                                             {"club", "club-pw", club_},
                                             {"moved", "moved-pw", numberedMessages(3)}});
        QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("Dovecot could not start: ") + error));
    }

    void getMailOverAccounts() {
        Rig rig(server_);
        trustServer(rig, server_);
        rig.retrieval.Command1_Click();

        QCOMPARE(rig.lines(), accountLines(QStringLiteral("Work"), 2) +
                                  accountLines(QStringLiteral("Club"), 4) + QStringList{Tip});
        QCOMPARE(rig.platform.boxes.size(), 0);
        // Club's first and last messages are at or above the 100k limit.
        const QList<QByteArray> retrieved = {work_[0], work_[1], club_[1], club_[2]};
        const QStringList accounts = {"Work", "Work", "Club", "Club"};
        const QStringList numbers = {"1", "2", "2", "3"};
        for (int i = 0; i < retrieved.size(); ++i) {
            const QString file = QStringLiteral("email%1.eml").arg(i + 1);
            const qsizetype size = retrieved[i].size();
            QCOMPARE(rig.row(i + 1),
                     (QStringList{accounts[i], QStringLiteral("%1k").arg(size / 1024),
                                  QString::number(size), numbers[i], file}));
            QCOMPARE(rig.file(file), FakeMailbox::retrReply(retrieved[i]));
        }
        QVERIFY(!rig.table.isOccupied(5));
        QCOMPARE(QDir(rig.global.DataFolder).entryList({"*.eml"}, QDir::Files, QDir::Name),
                 QStringList({"email1.eml", "email2.eml", "email3.eml", "email4.eml"}));
        // Retrieval deletes nothing from the server.
        QCOMPARE(server_.storedMail(QStringLiteral("work")).size(), 2);
        QCOMPARE(server_.storedMail(QStringLiteral("club")).size(), 4);
        QCOMPARE(rig.socket.State(), 0);
        // Club's plain port offers STLS: the password went over TLS there too.
        const QStringList logins = server_.log().split('\n').filter("Login: user=<club>");
        QCOMPARE(logins.size(), 1);
        QVERIFY2(logins[0].contains(", TLS"), qPrintable(logins[0]));
    }

    void unverifiableCertificate() {
        Rig rig(server_); // the test CA is not trusted: nothing vouches for the server
        rig.retrieval.Command1_Click();
        QCOMPARE(
            rig.platform.boxes[0].text,
            QStringLiteral("Error messages aren't usually helpful, but for what it's worth...   "
                           "   \r\n\"Error %1 The server's certificate could not be verified: "
                           "The issuer certificate of a locally looked up certificate could not "
                           "be found; No certificates could be verified\"\r\nCheck your "
                           "internet connection and email account settings.      ")
                .arg(EPROTO));
        // Nothing is said to the unverified server over POP3S. Over plain POP3 it offers STLS,
        // so it hears no password in the clear either, but only CAPA and STLS.
        QCOMPARE(rig.platform.boxes.size(), 2);
        QCOMPARE(rig.platform.boxes[1].text, rig.platform.boxes[0].text);
        QCOMPARE(rig.lines(),
                 QStringList({"Connect to Work", "Not connected", "Error - bad command",
                              "Connect to Club", "Error - bad command", Tip}));
        QVERIFY(!rig.table.isOccupied(1));
    }

    // Another client deletes message 1 between Get mail and Process and the server renumbers
    // the rest: Process deletes the marked message 2 (number 1 now), not message 3 (number 2
    // now), though all three have the same size.
    void renumberedMailboxLosesNothing() {
        MovedDesk desk(server_);
        desk.retrieval.Command1_Click();
        QCOMPARE(desk.table.occupiedRows(), 3);
        for (int r = 1; r <= 3; ++r)
            desk.table.ColourRow(r == 2 ? "D" : "", r, colour::White, {});
        MovedDesk other(server_);
        QVERIFY(!other.channel.logIn(other.global.accounts.row(1)));
        QVERIFY(!other.channel.dele(1) && !other.channel.quit());
        other.channel.endDialogue();
        desk.processing.Command2_Click();
        QCOMPARE(server_.storedMail("moved"), QList<QByteArray>{numberedMessage(3)});
        QCOMPARE(filesIn(desk.global.TrashFolder).values(),
                 QList<QByteArray>{desk.file("email2.eml")});
    }

private:
    DovecotFixture server_;
    QList<QByteArray> work_;
    QList<QByteArray> club_;
};

QTEST_GUILESS_MAIN(TestDovecot)
#include "test_dovecot.moc"
