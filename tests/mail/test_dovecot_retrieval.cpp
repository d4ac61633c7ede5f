#include "mail/pop3_channel.h"
#include "mail/qt_socket_control.h"
#include "mail/qt_wait_clock.h"
#include "mail/recording_host.h"
#include "mail/retrieval_run.h"
#include "review/message_table.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "support/dovecot_fixture.h"
#include "support/fake_pop3_server.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"

#include <QDir>
#include <QSslCertificate>
#include <QtTest>

#include <cerrno>

namespace {

const QString Tip = QStringLiteral(
    "Click in Action column: Blank --> D (delete)--> B (blacklist) --> W (whitelist)");

// A message of exactly `size` bytes.
QByteArray sized(qsizetype size) {
    const QByteArray head =
        "From: big@example.org\r\nSubject: size " + QByteArray::number(size) + "\r\n\r\n";
    return head + QByteArray(size - head.size() - 2, 'x') + "\r\n";
}

QStringList accountLines(const QString& name, int found) {
    return {QStringLiteral("Connect to ") + name, QStringLiteral("Found %1 emails").arg(found),
            QStringLiteral("Checking messages for spam"), QStringLiteral("Close connection")};
}

} // namespace

class TestDovecotRetrieval : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void getMailOverAccounts();
    void unverifiableCertificate();

private:
    struct Rig;

    DovecotFixture server_;
    QList<QByteArray> work_;
    QList<QByteArray> club_;
};

// A retrieval run of the program's own socket and clock against the private Dovecot: account
// 1 "Home" disabled, 2 "Work" over POP3S, 3 "Club" over plain POP3.
struct TestDovecotRetrieval::Rig {
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

    explicit Rig(const DovecotFixture& server) {
        global.setUpDataFolder(home.documents());
        global.loadAll();
        global.settings[setting::MaxSizeK] = QStringLiteral("100");
        socket.setTlsPort(server.pop3sPort());
        addAccount(QStringLiteral("Home"), server.pop3Port(), false);
        addAccount(QStringLiteral("Work"), server.pop3sPort(), true);
        addAccount(QStringLiteral("Club"), server.pop3Port(), true);
    }
    void addAccount(const QString& name, quint16 port, bool enabled) {
        Account& account = global.accounts.row(global.accounts.count() + 1);
        account.AccountName = name;
        account.MailServer = DovecotFixture::host();
        account.Username = name.toLower();
        account.AccountPassword = name.toLower() + QStringLiteral("-pw");
        account.Port = QString::number(port);
        account.Enabled = enabled ? QStringLiteral("1") : QString();
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
};

void TestDovecotRetrieval::initTestCase() {
    work_ = {testData(QStringLiteral("mail/plain_text.eml")),
             testData(QStringLiteral("mail/dot_stuffed_lines.eml"))};
    club_ = {sized(102400), sized(102399), testData(QStringLiteral("mail/latin1_bytes.eml")),
             sized(150000)};
    QVERIFY(!work_.contains(QByteArray()));
    const QString error =
        server_.start({{QStringLiteral("home"),
                        QStringLiteral("home-pw"),
                        {testData(QStringLiteral("mail/plain_text.eml"))}},
                       {QStringLiteral("work"), QStringLiteral("work-pw"), work_},
                       {QStringLiteral("club"), QStringLiteral("club-pw"), club_}});
    QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("Dovecot could not start: ") + error));
}

void TestDovecotRetrieval::getMailOverAccounts() {
    Rig rig(server_);
    rig.socket.addCaCertificates(QSslCertificate::fromPath(server_.caCertificateFile()));
    for (const char* name : {"email1.eml", "EMAIL5.EML", "Email9.eml"})
        rig.home.write(QStringLiteral("Documents/Spam/") + QString::fromLatin1(name), "old");

    rig.run.Command1_Click();

    QCOMPARE(rig.lines(), accountLines(QStringLiteral("Work"), 2) +
                              accountLines(QStringLiteral("Club"), 4) + QStringList{Tip});
    QCOMPARE(rig.platform.boxes.size(), 0);
    const QList<QByteArray> retrieved = {work_[0], work_[1], club_[1], club_[2]};
    const QStringList accounts = {"Work", "Work", "Club", "Club"};
    const QStringList numbers = {"1", "2", "2", "3"};
    for (int i = 0; i < retrieved.size(); ++i) {
        const QString file = QStringLiteral("email%1.eml").arg(i + 1);
        const qsizetype size = retrieved[i].size();
        QCOMPARE(rig.row(i + 1), (QStringList{accounts[i], QStringLiteral("%1k").arg(size / 1024),
                                              QString::number(size), numbers[i], file}));
        QCOMPARE(rig.home.read(QStringLiteral("Documents/Spam/") + file),
                 FakeMailbox::retrReply(retrieved[i]));
    }
    QVERIFY(!rig.table.isOccupied(5));
    QCOMPARE(
        QDir(rig.global.DataFolder).entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name),
        (QStringList{"email1.eml", "email2.eml", "email3.eml", "email4.eml"}));
    // Retrieval deletes nothing from the server.
    QCOMPARE(server_.storedMessages(QStringLiteral("work")), 2);
    QCOMPARE(server_.storedMessages(QStringLiteral("club")), 4);
    QCOMPARE(rig.socket.State(), 0);
}

void TestDovecotRetrieval::unverifiableCertificate() {
    Rig rig(server_); // the test CA is not added: nothing vouches for the server
    rig.run.Command1_Click();
    QCOMPARE(rig.platform.boxes.size(), 1);
    QCOMPARE(rig.platform.boxes[0].text,
             QStringLiteral("Error messages aren't usually helpful, but for what it's worth...   "
                            "   \r\n\"Error %1 The server's certificate could not be verified: "
                            "The issuer certificate of a locally looked up certificate could not "
                            "be found; No certificates could be verified\"\r\nCheck your "
                            "internet connection and email account settings.      ")
                 .arg(EPROTO));
    // Nothing is said to the unverified server; the next account is served as usual.
    QCOMPARE(rig.lines(), (QStringList{"Connect to Work", "Not connected", "Error - bad command"} +
                           accountLines(QStringLiteral("Club"), 4) + QStringList{Tip}));
    QCOMPARE(rig.table.cell(1, col::Account), QStringLiteral("Club"));
}

QTEST_GUILESS_MAIN(TestDovecotRetrieval)
#include "test_dovecot_retrieval.moc"
