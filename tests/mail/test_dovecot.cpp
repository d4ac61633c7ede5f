#include "auth/oauth_provider.h"
#include "auth/oauth_sign_in.h"
#include "mail/mail_rig.h"
#include "servers/dovecot_fixture.h"
#include "servers/oauth_provider_fixture.h"
#include "servers/stls_stripper.h"
#include "store/account_options.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QtTest>

#include <algorithm>

// Get mail and Process end to end against a real server, and what only a real server shows:
// certificate trust over POP3S and STLS, and a mailbox that another client changes between Get
// mail and Process.
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
        const QString error = server_.start(
            {{"home", "home-pw", {work_[0]}},
             {"work", "work-pw", work_},
             {"club", "club-pw", club_},
             {"moved", "moved-pw", numberedMessages(3)},
             {"alice",
              "alice-pw",
              {sample("pill_offer.eml"), sample("hello_friend.eml"), sample("cheap_watches.eml"),
               sample("newsletter.eml")}},
             {"bob",
              "bob-pw",
              {sample("pills_again.eml"), sample("known_spammer.eml"), sample("friend_note.eml")}},
             {"carol", "carol-pw", {sample("carol_offer.eml")}}});
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

    // The test CA is not trusted, so nothing vouches for the server: the user is shown the
    // certificate's fingerprint and may accept it; a certificate other than the one accepted
    // is refused without asking. Nothing is said to the unverified server over POP3S, and over
    // plain POP3, where it offers STLS, only CAPA and STLS.
    void certificateByFingerprint_data() {
        QTest::addColumn<QString>("pinned");
        QTest::addColumn<QList<Platform::Answer>>("answers");
        QTest::addColumn<QStringList>("lines");
        const QStringList refused = {"Connect to Work",
                                     "Not connected",
                                     "Error - certificate not accepted",
                                     "Error - bad command",
                                     "Connect to Club",
                                     "Error - certificate not accepted",
                                     "Error - bad command",
                                     Tip};
        QTest::newRow("refused") << QString() << QList{Platform::Answer::No, Platform::Answer::No}
                                 << refused;
        QTest::newRow("accepted") << QString()
                                  << QList{Platform::Answer::Yes, Platform::Answer::Yes}
                                  << QStringList{"Connect to Work", "Not connected"} +
                                         accountLines("Work", 2) + QStringList{"Connect to Club"} +
                                         accountLines("Club", 4) + QStringList{Tip};
        QStringList changed = refused;
        changed.replaceInStrings("not accepted", "changed since it was accepted");
        QTest::newRow("changed") << "00:11" << QList<Platform::Answer>{} << changed;
    }

    void certificateByFingerprint() {
        QFETCH(QString, pinned);
        QFETCH(QList<Platform::Answer>, answers);
        QFETCH(QStringList, lines);
        Rig rig(server_);
        for (int r = 2; r <= 3; ++r)
            rig.global.accounts.row(r).Spare2 = pinned;
        rig.platform.answers.append(answers);
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.lines(), lines);
        QCOMPARE(rig.platform.boxes.size(), answers.size());
        const QString fingerprint = QtSocketControl::fingerprintOf(
            QSslCertificate::fromPath(server_.caCertificateFile().replace("ca.crt", "server.crt"))
                .value(0));
        for (const ScriptedPlatform::Box& box : rig.platform.boxes) {
            QCOMPARE(box.title, QStringLiteral("Unverified certificate"));
            QVERIFY2(box.text.contains("\r\n\r\nIts SHA-256 fingerprint is\r\n" + fingerprint),
                     qPrintable(box.text));
        }
        if (answers.value(0) != Platform::Answer::Yes)
            return;
        // Pinned for both accounts and stored: the next Get mail asks nothing.
        QCOMPARE(rig.file("Accounts.txt").split('\n').value(26), fingerprint.toLatin1() + "\r");
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.platform.boxes.size(), 2);
        QCOMPARE(rig.table.occupiedRows(), 4);
    }

    // An attacker who removes STLS from the server's capabilities gets no password from an
    // account that requires encryption; an account from before this option still falls for it.
    void strippedStls_data() {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("heard");
        QTest::newRow("encryption required")
            << AccountOptions::forNewAccount()
            << QStringList{"Connect to Club", "Error - no encryption, password not sent",
                           "Error - bad command", Tip}
            << QByteArray("CAPA\r\n");
        QTest::newRow("older account") << "0" << accountLines("Club", 4) + QStringList{Tip}
                                       << QByteArray("CAPA\r\nUSER club\r\nPASS club-pw\r\n");
    }

    void strippedStls() {
        QFETCH(QString, options);
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, heard);
        StlsStripper attacker(DovecotFixture::host(), server_.pop3Port());
        Rig rig(server_);
        trustServer(rig, server_);
        rig.global.accounts.row(2).Enabled.clear();
        rig.global.accounts.row(3).Port = QString::number(attacker.listen());
        rig.global.accounts.row(3).Spare1 = options;
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.lines(), lines);
        QVERIFY2(attacker.heard.startsWith(heard), attacker.heard.constData());
    }

    // An OAuth2 account: signed in through a provider whose page the test's "browser" opens,
    // then Get mail and Process with the token, a refresh once the server no longer takes
    // it, and the pane line once the grant is withdrawn.
    void oauth2_data() {
        QTest::addColumn<QString>("mechanism");
        QTest::newRow("XOAUTH2") << "XOAUTH2";
        QTest::newRow("OAUTHBEARER") << "OAUTHBEARER";
    }

    void oauth2() {
        QFETCH(QString, mechanism);
        OAuthProviderFixture provider("mailweir-test", "token");
        QVERIFY(provider.listen());
        DovecotFixture server;
        server.setOAuth2(mechanism.toLower(), provider.url("/introspect").toString());
        const QString error = server.start({{"token", "unused-pw", numberedMessages(3)}});
        QVERIFY2(error.isEmpty(), qPrintable(error));
        AccountOptions options = AccountOptions::of(Account{});
        options.oauthPreset = "other";
        options.authorizeUrl = provider.url("/authorize").toString();
        options.tokenUrl = provider.url("/token").toString();
        options.scope = "pop";
        QNetworkAccessManager browser; // follows the provider's redirect to the loopback port
        const oauth::SignInResult signedIn =
            oauth::signIn(OAuthProvider::of(options), "mailweir-test",
                          [&](const QUrl& page) { browser.get(QNetworkRequest(page)); });
        QCOMPARE(signedIn.failure, QString());

        LiveDesk desk;
        trustServer(desk, server);
        desk.addAccount("Token", DovecotFixture::host(), server.pop3Port(), true);
        options.applyTo(desk.global.accounts.row(1));
        desk.global.accounts.row(1).AccountPassword = signedIn.refreshToken;
        desk.global.settings[setting::OAuthClientOther] = "mailweir-test";
        desk.retrieval.Command1_Click();
        QCOMPARE(desk.lines(), accountLines("Token", 3) + QStringList{Tip});
        QCOMPARE(server.log().split('\n').filter("Login: user=<token>, method=" + mechanism).size(),
                 1);
        for (int r = 1; r <= 3; ++r)
            desk.table.ColourRow(r == 1 ? "D" : "", r, colour::White, {});
        desk.processing.Command2_Click();
        QCOMPARE(server.storedMail("token"), numberedMessages(3).mid(1));

        provider.expireAccessTokens();
        desk.pane.clear();
        desk.retrieval.Command1_Click();
        QCOMPARE(desk.lines(),
                 QStringList{"Connect to Token"} + accountLines("Token", 2) + QStringList{Tip});
        QCOMPARE(provider.grants,
                 (QHash<QString, int>{{"authorization_code", 1}, {"refresh_token", 2}}));
        provider.revoke();
        desk.pane.clear();
        desk.retrieval.Command1_Click();
        QCOMPARE(desk.lines(),
                 QStringList({"Connect to Token", "Connect to Token",
                              "Error - sign-in no longer valid, sign in again in Accounts",
                              "Error - bad command", Tip}));
    }

    // A user who gives up waiting for the browser is not kept waiting for the time-out.
    void oauth2SignInCancelled() {
        OAuthProviderFixture provider("mailweir-test", "token");
        QVERIFY(provider.listen());
        AccountOptions options = AccountOptions::of(Account{});
        options.oauthPreset = "other";
        options.authorizeUrl = provider.url("/authorize").toString();
        options.tokenUrl = provider.url("/token").toString();
        const oauth::SignInResult result = oauth::signIn(
            OAuthProvider::of(options), "mailweir-test", [](const QUrl&) {},
            [](const oauth::Cancel& cancel) { QTimer::singleShot(100, cancel); });
        QVERIFY(result.cancelled);
        QCOMPARE(result.refreshToken, QString());
        QCOMPARE(result.failure, QString());
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

    // Process over three accounts, the last disabled after Get mail.
    void processesMailboxes() {
        LiveDesk desk;
        trustServer(desk, server_);
        for (const char* user : {"alice", "bob", "carol"})
            desk.addAccount(user, DovecotFixture::host(), server_.pop3Port(), true);
        desk.retrieval.Command1_Click();
        QCOMPARE(desk.table.occupiedRows(), 8);

        // The user's decisions in retrieval order. A reason naming the other list does not keep
        // a row off its own.
        markRow(desk.table, 1, "B", "Pill Shop <pills@spam.example>", "Whitelisted sender",
                "10.0.0.1");
        markRow(desk.table, 2, "", "Bob Jones <bob@friends.example>", "", "10.0.0.5");
        markRow(desk.table, 3, "D", "Watch Deals <deals@watches.example>", "Rule 1", "10.0.0.6");
        markRow(desk.table, 4, "W", "The News <news@letters.example>", "Blacklisted domain",
                "10.0.0.7");
        markRow(desk.table, 5, "B", "pills@spam.example", "", "10.0.0.2");
        markRow(desk.table, 6, "B", "Old Spammer <old@spam.example>", "Blacklisted sender",
                "10.9.9.9");
        markRow(desk.table, 7, "W", "A Friend <friend@ok.example>", "Whitelisted domain",
                "10.0.0.8");
        markRow(desk.table, 8, "D", "Offers <offers@spam.example>", "Rule 2", "10.0.0.9");
        desk.global.accounts.row(3).Enabled.clear();
        desk.global.blacklist.setEntries({"old@spam.example"});
        desk.global.settings[setting::TrashKeep] = "10";
        desk.global.settings[setting::TrashNext] = "-2"; // as edited by hand: slot 8
        const QList<QByteArray> deleted = {desk.file("email1.eml"), desk.file("email3.eml"),
                                           desk.file("email5.eml"), desk.file("email6.eml")};
        // What the list files hold when the first server is contacted.
        QList<QByteArray> listsAtFirstContact;
        QObject::connect(&desk.pane, &TextPane::lineAdded, [&](const QString& line) {
            if (listsAtFirstContact.isEmpty() && line.startsWith(QStringLiteral("Connect to ")))
                for (const char* name : {"BlackIP.txt", "Blacklist.txt", "Whitelist.txt"})
                    listsAtFirstContact.append(desk.file(name));
        });
        desk.pane.setText("old text\r\n");
        desk.observer.calls.clear();
        desk.processing.Command2_Click();

        QCOMPARE(listsAtFirstContact,
                 QList<QByteArray>({"10.0.0.1\r\n10.0.0.2\r\n",
                                    "old@spam.example\r\npills@spam.example\r\n",
                                    "news@letters.example\r\n"}));
        QCOMPARE(desk.lines(),
                 QStringList({"Connect to alice", "Deleting spam", "Close connection",
                              "Connect to bob", "Deleting spam", "Close connection", "Done"}));
        QCOMPARE(desk.observer.calls, QStringList({"running", "idle"}));
        QCOMPARE(desk.platform.busy, false);
        QVERIFY(desk.platform.boxes.isEmpty());
        QCOMPARE(desk.table.occupiedRows(), 0);
        // Copies go to slots 8, 9, 0 and 1 of the ten kept; the counter is stored at once.
        QCOMPARE(desk.global.settings[setting::TrashNext], QStringLiteral("2"));
        QCOMPARE(desk.file("config.ini").split('\n').value(setting::TrashNext), QByteArray("2\r"));
        QCOMPARE(filesIn(desk.global.TrashFolder).keys(),
                 QStringList({"Email0.eml", "Email1.eml", "Email8.eml", "Email9.eml"}));
        for (int i = 0; i < deleted.size(); ++i) {
            QVERIFY(deleted[i].startsWith("+OK"));
            QCOMPARE(desk.file(QStringLiteral("Trash/Email%1.eml").arg((8 + i) % 10)), deleted[i]);
        }
        QList<QByteArray> leftOfAlice = {sample("hello_friend.eml"), sample("newsletter.eml")};
        std::sort(leftOfAlice.begin(), leftOfAlice.end());
        QCOMPARE(server_.storedMail("alice"), leftOfAlice);
        QCOMPARE(server_.storedMail("bob"), QList<QByteArray>{sample("friend_note.eml")});
        QCOMPARE(server_.storedMail("carol"), QList<QByteArray>{sample("carol_offer.eml")});
    }

private:
    DovecotFixture server_;
    QList<QByteArray> work_;
    QList<QByteArray> club_;
};

QTEST_GUILESS_MAIN(TestDovecot)
#include "test_dovecot.moc"
