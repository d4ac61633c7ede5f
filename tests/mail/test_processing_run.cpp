#include "mail/pop3_channel.h"
#include "mail/processing_run.h"
#include "mail/qt_socket_control.h"
#include "mail/qt_wait_clock.h"
#include "mail/recording_host.h"
#include "mail/retrieval_run.h"
#include "review/message_table.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "support/dovecot_fixture.h"
#include "support/fake_pop3_server.h"
#include "support/fake_socket.h"
#include "support/manual_clock.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"

#include <QDir>
#include <QtTest>

namespace {

const QString WrongSize = QStringLiteral("Wrong size - email not deleted!      ");
const QString Title = QStringLiteral("Mailweir");

QByteArray message(const char* name) {
    return testData(QStringLiteral("processing/") + QLatin1String(name));
}

// One table row as the processing run reads it.
struct Row {
    QString account{};
    int n = 0;
    QString action{};
    QString from{};
    QString reason{};
    QString ip{};
    qsizetype bytes = 0;
};

// Everything a run works with, in a temporary data folder, over a given socket and clock.
struct Desk {
    TempHome home;
    Global global;
    MessageTable table;
    TextPane pane;
    ScriptedPlatform platform;
    RecordingHost host;
    Pop3Channel channel;
    QStringList callbacks;
    ProcessingRun run;

    Desk(SocketControl& socket, WaitClock& clock)
        : channel(socket, clock, platform, pane),
          run(
              channel, global, table, pane, host, platform,
              [this] { callbacks.append(QStringLiteral("email program")); },
              [this] { callbacks.append(QStringLiteral("close")); }) {
        global.setUpDataFolder(home.documents());
        global.settings.setDefaults(global.DataFolder);
    }

    void addAccount(const QString& name, const QString& server, quint16 port,
                    const QString& enabled = QStringLiteral("1")) {
        Account& account = global.accounts.row(global.accounts.count() + 1);
        account.AccountName = name;
        account.MailServer = server;
        account.Username = name.toLower();
        account.AccountPassword = QStringLiteral("secret");
        account.Port = QString::number(port);
        account.Enabled = enabled;
    }

    // Writes the row into the next free table row, with "email<r>.eml" as its file; the file
    // itself is written when content is given.
    void addRow(const Row& row, const QByteArray& content = QByteArray()) {
        const int r = table.occupiedRows() + 1;
        const QString file = QStringLiteral("email%1.eml").arg(r);
        table.setCell(r, col::Account, row.account);
        table.setCell(r, col::N, QString::number(row.n));
        table.setCell(r, col::Bytes, QString::number(row.bytes));
        table.setCell(r, col::From, row.from);
        table.setCell(r, col::IP, row.ip);
        table.setCell(r, col::File, file);
        table.ColourRow(row.action, r, colour::White, row.reason);
        if (!content.isNull())
            home.write(QStringLiteral("Documents/Spam/") + file, content);
    }

    QByteArray dataFile(const QString& name) const {
        return home.read(QStringLiteral("Documents/Spam/") + name);
    }
    QByteArray trashFile(const QString& name) const {
        return home.read(QStringLiteral("Documents/Spam/Trash/") + name);
    }
    QStringList trashNames() const {
        return QDir(global.TrashFolder).entryList(QDir::Files, QDir::Name);
    }
    QStringList lines() const {
        QStringList all = pane.text().split(QStringLiteral("\r\n"));
        all.removeLast();
        return all;
    }
};

// A desk whose accounts are fake mailboxes behind a fake socket: each account's MailServer
// names its mailbox, and answers arrive at the next yield of a clock moved by hand.
struct FakeDesk {
    FakeSocket socket;
    ManualClock clock;
    Desk desk{socket, clock};
    QHash<QString, FakeMailbox> mailboxes;
    QHash<QString, QList<QByteArray>> received; // command lines by mailbox
    QHash<QByteArray, QByteArray> overrides;    // by mailbox and command line: "A DELE 1"
    QByteArray stopAt;                          // the command during whose wait Stop is pressed

    FakeDesk() {
        socket.onConnect = [this] { serve("+OK ready\r\n"); };
        socket.onSend = [this](const QByteArray& sent) { answer(sent.chopped(2)); };
    }

    void addAccount(const QString& name, const QList<QByteArray>& mail,
                    const QString& enabled = QStringLiteral("1")) {
        desk.addAccount(name, name, 110, enabled);
        mailboxes[name].messages = mail;
    }
    // A row for message n of an account's mailbox, its file downloaded.
    void addRow(const QString& account, int n, const QString& action = QStringLiteral("D")) {
        const QByteArray mail = mailboxes[account].messages[n - 1];
        desk.addRow({account, n, action, QString(), QString(), QString(), mail.size()},
                    FakeMailbox::retrReply(mail));
    }

    void serve(const QByteArray& bytes) {
        clock.atNextYield([this, bytes] { socket.arrive(bytes); });
    }
    void answer(const QByteArray& command) {
        received[socket.host].append(command);
        const QByteArray key = socket.host.toLatin1() + ' ' + command;
        if (key == stopAt) {
            clock.atNextYield([this] { desk.channel.Stop(); });
            return;
        }
        serve(overrides.contains(key) ? overrides.value(key)
                                      : mailboxes[socket.host].answer(command));
        if (FakeMailbox::isQuit(command))
            clock.atNextYield([this] { socket.serverCloses(); });
    }
};

QList<QByteArray> loggedIn(const QByteArray& user, const QList<QByteArray>& rest) {
    return QList<QByteArray>{"USER " + user, "PASS secret"} + rest;
}

} // namespace

class TestProcessingRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void processesDovecotMailboxes();
    void emptyTableDoesNothing();
    void busyAutomaticCheckRefuses();
    void socketThatWillNotClose();
    void senderCut_data();
    void senderCut();
    void listRules_data();
    void listRules();
    void listsSavedWhenNothingAdded();
    void unsavedListIsReported();
    void sizeMismatchKeepsTheMessage();
    void commandFailureAbandonsOnlyThatAccount_data();
    void commandFailureAbandonsOnlyThatAccount();
    void stopAbandonsOnlyTheCurrentAccount();
    void abandonDuringAWait();
    void failedTrashCopyKeepsTheMessage_data();
    void failedTrashCopyKeepsTheMessage();
    void missingMessageFileIsStillDeleted();
    void rowSelection_data();
    void rowSelection();
    void trashCounter_data();
    void trashCounter();
    void runEmailProgram_data();
    void runEmailProgram();
};

void TestProcessingRun::initTestCase() {
    QCoreApplication::setApplicationName(Title);
}

void TestProcessingRun::processesDovecotMailboxes() {
    DovecotFixture dovecot;
    const QString failure = dovecot.start(
        {{QStringLiteral("alice"),
          QStringLiteral("secret"),
          {message("pill_offer.eml"), message("hello_friend.eml"), message("cheap_watches.eml"),
           message("newsletter.eml")}},
         {QStringLiteral("bob"),
          QStringLiteral("secret"),
          {message("pills_again.eml"), message("known_spammer.eml"), message("friend_note.eml")}},
         {QStringLiteral("carol"), QStringLiteral("secret"), {message("carol_offer.eml")}}});
    QVERIFY2(failure.isEmpty(), qPrintable(failure));

    QtSocketControl socket;
    QtWaitClock clock;
    Desk desk(socket, clock);
    for (const char* user : {"alice", "bob", "carol"})
        desk.addAccount(QString::fromLatin1(user), DovecotFixture::host(), dovecot.pop3Port());
    RetrievalRun retrieval(desk.channel, desk.global, desk.table, desk.pane, desk.host,
                           desk.platform);
    retrieval.Command1_Click();
    QCOMPARE(desk.table.occupiedRows(), 8);

    // The user's decisions, row by row in retrieval order; carol is then deselected.
    const QList<Row> decisions = {
        {{}, 0, "B", "Pill Shop <pills@spam.example>", "No subject", "10.0.0.1"},
        {{}, 0, "", "Bob Jones <bob@friends.example>", "", "10.0.0.5"},
        {{}, 0, "D", "Watch Deals <deals@watches.example>", "Rule 1", "10.0.0.6"},
        {{}, 0, "W", "The News <news@letters.example>", "Not to me", "10.0.0.7"},
        {{}, 0, "B", "pills@spam.example", "", "10.0.0.2"},
        {{}, 0, "B", "Old Spammer <old@spam.example>", "Blacklisted sender", "10.9.9.9"},
        {{}, 0, "W", "A Friend <friend@ok.example>", "Whitelisted domain", "10.0.0.8"},
        {{}, 0, "D", "Offers <offers@spam.example>", "Rule 2", "10.0.0.9"}};
    for (int r = 1; r <= decisions.size(); ++r) {
        const Row& row = decisions[r - 1];
        desk.table.setCell(r, col::From, row.from);
        desk.table.setCell(r, col::IP, row.ip);
        desk.table.ColourRow(row.action, r, colour::White, row.reason);
    }
    desk.global.accounts.row(3).Enabled.clear();
    desk.global.blacklist.setEntries({QStringLiteral("old@spam.example")});
    desk.global.settings[setting::TrashKeep] = QStringLiteral("10");
    desk.global.settings[setting::TrashNext] = QStringLiteral("8");
    const QHash<QString, QByteArray> downloaded = {
        {QStringLiteral("Email8.eml"), desk.dataFile(QStringLiteral("email1.eml"))},
        {QStringLiteral("Email9.eml"), desk.dataFile(QStringLiteral("email3.eml"))},
        {QStringLiteral("Email0.eml"), desk.dataFile(QStringLiteral("email5.eml"))},
        {QStringLiteral("Email1.eml"), desk.dataFile(QStringLiteral("email6.eml"))}};

    // What the list files hold when the first server is contacted.
    QList<QByteArray> listsAtFirstContact;
    QObject::connect(&desk.pane, &TextPane::textChanged, [&](const QString& text) {
        if (listsAtFirstContact.isEmpty() && text.contains(QStringLiteral("Connect to ")))
            for (const char* name : {"BlackIP.txt", "Blacklist.txt", "Whitelist.txt"})
                listsAtFirstContact.append(desk.dataFile(QString::fromLatin1(name)));
    });
    desk.pane.setText(QStringLiteral("old text\r\n"));
    desk.host.calls.clear();
    desk.run.Command2_Click();

    QCOMPARE(listsAtFirstContact, (QList<QByteArray>{"10.0.0.1\r\n10.0.0.2\r\n",
                                                     "old@spam.example\r\npills@spam.example\r\n",
                                                     "news@letters.example\r\n"}));
    QCOMPARE(desk.lines(),
             QStringList({"Connect to alice", "Deleting spam", "Close connection", "Connect to bob",
                          "Deleting spam", "Close connection", "Done"}));
    QCOMPARE(desk.host.calls, QStringList({"Buttons 0", "Buttons 1"}));
    QCOMPARE(desk.platform.busyDepth, 0);
    QVERIFY(desk.platform.boxes.isEmpty());
    QCOMPARE(desk.table.occupiedRows(), 0);
    QCOMPARE(desk.global.settings[setting::TrashNext], QStringLiteral("2"));
    QCOMPARE(desk.trashNames(),
             QStringList({"Email0.eml", "Email1.eml", "Email8.eml", "Email9.eml"}));
    for (auto it = downloaded.cbegin(); it != downloaded.cend(); ++it) {
        QVERIFY(it.value().startsWith("+OK"));
        QCOMPARE(desk.trashFile(it.key()), it.value());
    }
    QCOMPARE(dovecot.storedMessages(QStringLiteral("alice")), 2);
    QCOMPARE(dovecot.storedMessages(QStringLiteral("bob")), 1);
    QCOMPARE(dovecot.storedMessages(QStringLiteral("carol")), 1);

    // Which messages are left: fetched again, carol selected once more.
    desk.global.accounts.row(3).Enabled = QStringLiteral("1");
    retrieval.Command1_Click();
    const QList<QByteArray> left = {message("hello_friend.eml"), message("newsletter.eml"),
                                    message("friend_note.eml"), message("carol_offer.eml")};
    QCOMPARE(desk.table.occupiedRows(), left.size());
    for (int r = 1; r <= left.size(); ++r) {
        const QByteArray file = desk.dataFile(desk.table.cell(r, col::File));
        QCOMPARE(file.mid(file.indexOf('\n') + 1), left[r - 1] + ".\r\n");
    }
}

void TestProcessingRun::emptyTableDoesNothing() {
    FakeDesk fake;
    fake.addAccount(QStringLiteral("A"), {message("pill_offer.eml")});
    fake.desk.pane.setText(QStringLiteral("kept\r\n"));
    fake.desk.run.Command2_Click();
    QCOMPARE(fake.desk.pane.text(), QStringLiteral("kept\r\n"));
    QVERIFY(fake.desk.host.calls.isEmpty());
    QCOMPARE(fake.socket.connects, 0);
    QCOMPARE(QDir(fake.desk.global.DataFolder).entryList(QDir::Files),
             QStringList{QStringLiteral("config.ini")});
}

void TestProcessingRun::busyAutomaticCheckRefuses() {
    FakeDesk fake;
    fake.addAccount(QStringLiteral("A"), {message("pill_offer.eml")});
    fake.addRow(QStringLiteral("A"), 1, QStringLiteral("B"));
    fake.desk.host.state = QStringLiteral("Busy");
    fake.desk.pane.setText(QStringLiteral("kept\r\n"));
    fake.desk.run.Command2_Click();
    QCOMPARE(fake.desk.lines(), QStringList({"kept", "Busy, wait a minute..."}));
    QVERIFY(fake.desk.host.calls.isEmpty());
    QCOMPARE(fake.socket.connects, 0);
    QCOMPARE(fake.desk.table.occupiedRows(), 1);
    QVERIFY(!QFile::exists(fake.desk.global.dataPath(QStringLiteral("Blacklist.txt"))));
}

void TestProcessingRun::socketThatWillNotClose() {
    FakeDesk fake;
    fake.addAccount(QStringLiteral("A"), {message("pill_offer.eml")});
    fake.addRow(QStringLiteral("A"), 1);
    fake.socket.setState(SocketControl::Connected);
    fake.socket.stateAfterClose = SocketControl::Connected;
    fake.desk.run.Command2_Click();
    QCOMPARE(fake.desk.lines(), QStringList{QStringLiteral("Error - close connection")});
    QVERIFY(fake.desk.host.calls.isEmpty());
    QCOMPARE(fake.socket.connects, 0);
    QCOMPARE(fake.desk.table.occupiedRows(), 1);
    QVERIFY(!QFile::exists(fake.desk.global.dataPath(QStringLiteral("Blacklist.txt"))));
}

void TestProcessingRun::senderCut_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QStringList>("blacklist");
    QTest::newRow("name and address")
        << "Pill Shop <pills@spam.example>" << QStringList{"pills@spam.example"};
    QTest::newRow("spaces inside brackets")
        << "Shop < pills@spam.example  >" << QStringList{"pills@spam.example"};
    QTest::newRow("tab kept") << "Shop <\tpills@spam.example>"
                              << QStringList{"\tpills@spam.example"};
    QTest::newRow("bare address") << "pills@spam.example" << QStringList{"pills@spam.example"};
    QTest::newRow("last brackets win")
        << "<a@x.example> Shop <b@y.example>" << QStringList{"b@y.example"};
    QTest::newRow("last > before last <")
        << "a@x.example> Shop <b@y" << QStringList{"a@x.example> Shop <b@y"};
    QTest::newRow("only <") << "Shop <pills@spam.example"
                            << QStringList{"Shop <pills@spam.example"};
    QTest::newRow("only >") << "pills@spam.example>" << QStringList{"pills@spam.example>"};
    QTest::newRow("empty brackets") << "Shop <>" << QStringList();
    QTest::newRow("empty from") << "" << QStringList();
}

void TestProcessingRun::senderCut() {
    QFETCH(QString, from);
    QFETCH(QStringList, blacklist);
    FakeDesk fake;
    fake.desk.addRow({QStringLiteral("Nobody"), 1, QStringLiteral("B"), from});
    fake.desk.run.Command2_Click();
    QCOMPARE(fake.desk.global.blacklist.entries(), blacklist);
}

void TestProcessingRun::listRules_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QByteArray>("blacklist");
    QTest::addColumn<QByteArray>("blackIP");
    QTest::addColumn<QByteArray>("whitelist");
    const QByteArray sender = "s@x.example\r\n";
    const QByteArray ip = "10.1.2.3\r\n";
    const QByteArray none;
    QTest::newRow("B") << "B"
                       << "Rule 4" << sender << ip << none;
    QTest::newRow("B no reason") << "B"
                                 << "" << sender << ip << none;
    QTest::newRow("B blacklisted") << "B"
                                   << "Blacklisted sender" << none << none << none;
    QTest::newRow("B blacklisted IP") << "B"
                                      << "Blacklisted IP address" << none << none << none;
    QTest::newRow("B lower-case reason") << "B"
                                         << "blacklisted sender" << sender << ip << none;
    QTest::newRow("B reason inside") << "B"
                                     << " Blacklisted" << sender << ip << none;
    QTest::newRow("B whitelisted") << "B"
                                   << "Whitelisted sender" << sender << ip << none;
    QTest::newRow("W") << "W"
                       << "Not to me" << none << none << sender;
    QTest::newRow("W whitelisted") << "W"
                                   << "Whitelisted domain" << none << none << none;
    QTest::newRow("W blacklisted") << "W"
                                   << "Blacklisted domain" << none << none << sender;
    QTest::newRow("D") << "D"
                       << "Rule 1" << none << none << none;
    QTest::newRow("keep") << ""
                          << "" << none << none << none;
    QTest::newRow("lower-case b") << "b"
                                  << "" << none << none << none;
}

void TestProcessingRun::listRules() {
    QFETCH(QString, action);
    QFETCH(QString, reason);
    QFETCH(QByteArray, blacklist);
    QFETCH(QByteArray, blackIP);
    QFETCH(QByteArray, whitelist);
    FakeDesk fake;
    // The same sender twice: added once.
    for (int n = 1; n <= 2; ++n)
        fake.desk.addRow({QStringLiteral("Nobody"), n, action, QStringLiteral("S <s@x.example>"),
                          reason, QStringLiteral("10.1.2.3")});
    fake.desk.run.Command2_Click();
    QCOMPARE(fake.desk.dataFile(QStringLiteral("Blacklist.txt")), blacklist);
    QCOMPARE(fake.desk.dataFile(QStringLiteral("BlackIP.txt")), blackIP);
    QCOMPARE(fake.desk.dataFile(QStringLiteral("Whitelist.txt")), whitelist);
    QCOMPARE(fake.desk.lines(), QStringList{QStringLiteral("Done")});
    QCOMPARE(fake.desk.table.occupiedRows(), 0);
}

void TestProcessingRun::listsSavedWhenNothingAdded() {
    FakeDesk fake;
    fake.desk.addRow({QStringLiteral("Nobody"), 1, QString(), QStringLiteral("s@x.example")});
    fake.desk.run.Command2_Click();
    for (const char* name : {"BlackIP.txt", "Blacklist.txt", "Whitelist.txt"})
        QVERIFY2(QFile::exists(fake.desk.global.dataPath(QString::fromLatin1(name))), name);
}

void TestProcessingRun::unsavedListIsReported() {
    FakeDesk fake;
    QVERIFY(QDir(fake.desk.global.DataFolder).mkdir(QStringLiteral("Blacklist.txt")));
    fake.desk.addRow({QStringLiteral("Nobody"), 1, QStringLiteral("B"),
                      QStringLiteral("s@x.example"), QString(), QStringLiteral("10.1.2.3")});
    fake.desk.run.Command2_Click();
    QCOMPARE(fake.desk.lines(), QStringList({"Could not save Blacklist.txt", "Done"}));
    QCOMPARE(fake.desk.dataFile(QStringLiteral("BlackIP.txt")), QByteArray("10.1.2.3\r\n"));
    QCOMPARE(fake.desk.dataFile(QStringLiteral("Whitelist.txt")), QByteArray());
}

void TestProcessingRun::sizeMismatchKeepsTheMessage() {
    FakeDesk fake;
    fake.addAccount(QStringLiteral("A"), {message("cheap_watches.eml"), message("pill_offer.eml")});
    fake.addRow(QStringLiteral("A"), 1);
    fake.desk.table.setCell(1, col::Bytes,
                            QString::number(message("cheap_watches.eml").size() + 1));
    fake.addRow(QStringLiteral("A"), 2, QStringLiteral("B"));
    const QByteArray firstFile = fake.desk.dataFile(QStringLiteral("email1.eml"));
    const QByteArray secondFile = fake.desk.dataFile(QStringLiteral("email2.eml"));

    fake.desk.run.Command2_Click();

    const ScriptedPlatform& platform = fake.desk.platform;
    QCOMPARE(platform.boxes.size(), 1);
    QCOMPARE(platform.boxes[0].text, WrongSize);
    QCOMPARE(platform.boxes[0].title, Title);
    QCOMPARE(platform.boxes[0].buttons, Platform::Buttons::Ok);
    QCOMPARE(fake.received[QStringLiteral("A")],
             loggedIn("a", {"LIST 1", "LIST 2", "DELE 2", "QUIT"}));
    QCOMPARE(fake.mailboxes[QStringLiteral("A")].messages,
             QList<QByteArray>{message("cheap_watches.eml")});
    QCOMPARE(fake.desk.trashFile(QStringLiteral("Email0.eml")), firstFile);
    QCOMPARE(fake.desk.trashFile(QStringLiteral("Email1.eml")), secondFile);
    QCOMPARE(fake.desk.global.settings[setting::TrashNext], QStringLiteral("2"));
    QCOMPARE(fake.desk.lines(),
             QStringList({"Connect to A", "Deleting spam", "Close connection", "Done"}));
}

void TestProcessingRun::commandFailureAbandonsOnlyThatAccount_data() {
    QTest::addColumn<QString>("safeDeletion");
    QTest::addColumn<QByteArray>("failing");
    QTest::addColumn<QList<QByteArray>>("sentToFirst");
    QTest::addColumn<QStringList>("firstLines");
    QTest::addColumn<QStringList>("trash");
    const QStringList abandoned{"Connect to A", "Deleting spam", "Error - bad command"};
    QTest::newRow("LIST") << "1" << QByteArray("LIST 1") << loggedIn("a", {"LIST 1"}) << abandoned
                          << QStringList{"Email0.eml", "Email1.eml"};
    QTest::newRow("DELE after LIST")
        << "1" << QByteArray("DELE 1") << loggedIn("a", {"LIST 1", "DELE 1"}) << abandoned
        << QStringList{"Email0.eml", "Email1.eml", "Email2.eml"};
    QTest::newRow("DELE without LIST")
        << "0" << QByteArray("DELE 1") << loggedIn("a", {"DELE 1"}) << abandoned
        << QStringList{"Email0.eml", "Email1.eml", "Email2.eml"};
    QTest::newRow("PASS") << "1" << QByteArray("PASS secret") << loggedIn("a", {})
                          << QStringList{"Connect to A", "Error - bad command"}
                          << QStringList{"Email0.eml", "Email1.eml"};
}

void TestProcessingRun::commandFailureAbandonsOnlyThatAccount() {
    QFETCH(QString, safeDeletion);
    QFETCH(QByteArray, failing);
    QFETCH(QList<QByteArray>, sentToFirst);
    QFETCH(QStringList, firstLines);
    QFETCH(QStringList, trash);
    FakeDesk fake;
    fake.desk.global.settings[setting::SafeDeletion] = safeDeletion;
    fake.addAccount(QStringLiteral("A"), {message("pill_offer.eml"), message("cheap_watches.eml")});
    fake.addAccount(QStringLiteral("B"),
                    {message("pills_again.eml"), message("known_spammer.eml")});
    for (int n = 1; n <= 2; ++n) {
        fake.addRow(QStringLiteral("A"), n);
        fake.addRow(QStringLiteral("B"), n, QStringLiteral("B"));
    }
    fake.overrides["A " + failing] = "-ERR no\r\n";

    fake.desk.run.Command2_Click();

    QCOMPARE(fake.received[QStringLiteral("A")], sentToFirst);
    QCOMPARE(fake.mailboxes[QStringLiteral("A")].messages.size(), 2);
    const QList<QByteArray> checked =
        safeDeletion == QLatin1String("1")
            ? QList<QByteArray>{"LIST 1", "DELE 1", "LIST 2", "DELE 2", "QUIT"}
            : QList<QByteArray>{"DELE 1", "DELE 2", "QUIT"};
    QCOMPARE(fake.received[QStringLiteral("B")], loggedIn("b", checked));
    QVERIFY(fake.mailboxes[QStringLiteral("B")].messages.isEmpty());
    QCOMPARE(fake.desk.lines(), firstLines + QStringList({"Connect to B", "Deleting spam",
                                                          "Close connection", "Done"}));
    QCOMPARE(fake.desk.trashNames(), trash);
}

void TestProcessingRun::stopAbandonsOnlyTheCurrentAccount() {
    FakeDesk fake;
    fake.addAccount(QStringLiteral("A"), {message("pill_offer.eml"), message("cheap_watches.eml")});
    fake.addAccount(QStringLiteral("B"), {message("pills_again.eml")});
    fake.addRow(QStringLiteral("A"), 1);
    fake.addRow(QStringLiteral("A"), 2);
    fake.addRow(QStringLiteral("B"), 1);
    fake.stopAt = "A DELE 1";

    fake.desk.run.Command2_Click();

    QCOMPARE(fake.received[QStringLiteral("A")], loggedIn("a", {"LIST 1", "DELE 1"}));
    QCOMPARE(fake.mailboxes[QStringLiteral("A")].messages.size(), 2);
    QCOMPARE(fake.received[QStringLiteral("B")], loggedIn("b", {"LIST 1", "DELE 1", "QUIT"}));
    QVERIFY(fake.mailboxes[QStringLiteral("B")].messages.isEmpty());
    QCOMPARE(fake.desk.lines(),
             QStringList({"Connect to A", "Deleting spam", "Error - bad command", "Connect to B",
                          "Deleting spam", "Close connection", "Done"}));
    QCOMPARE(fake.desk.host.calls, QStringList({"Buttons 0", "Buttons 1"}));
}

void TestProcessingRun::abandonDuringAWait() {
    FakeDesk fake;
    fake.addAccount(QStringLiteral("A"), {message("pill_offer.eml")});
    fake.addAccount(QStringLiteral("B"), {message("pills_again.eml")});
    fake.addRow(QStringLiteral("A"), 1);
    fake.addRow(QStringLiteral("B"), 1);
    fake.socket.onSend = [&fake](const QByteArray& sent) {
        if (sent == "LIST 1\r\n")
            fake.clock.atNextYield([&fake] { fake.desk.channel.abandon(); });
        else
            fake.answer(sent.chopped(2));
    };

    fake.desk.run.Command2_Click();

    QCOMPARE(fake.received[QStringLiteral("A")], loggedIn("a", {}));
    QCOMPARE(fake.socket.connects, 1);
    QCOMPARE(fake.desk.lines(), QStringList({"Connect to A", "Deleting spam"}));
    QCOMPARE(fake.desk.host.calls, QStringList{QStringLiteral("Buttons 0")});
    QCOMPARE(fake.desk.table.occupiedRows(), 2);
    QVERIFY(fake.desk.callbacks.isEmpty());
}

void TestProcessingRun::failedTrashCopyKeepsTheMessage_data() {
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<int>("left");
    QTest::newRow("Trash folder is a file")
        << "Trash" << loggedIn("a", {"LIST 1", "LIST 2", "QUIT"})
        << QStringList{"Kept on server: no Trash copy of email1.eml",
                       "Kept on server: no Trash copy of email2.eml"}
        << 2;
    QTest::newRow("copy name is a folder")
        << "Trash/Email0.eml" << loggedIn("a", {"LIST 1", "LIST 2", "DELE 2", "QUIT"})
        << QStringList{"Kept on server: no Trash copy of email1.eml"} << 1;
}

void TestProcessingRun::failedTrashCopyKeepsTheMessage() {
    QFETCH(QString, blocker);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QStringList, kept);
    QFETCH(int, left);
    FakeDesk fake;
    fake.addAccount(QStringLiteral("A"), {message("pill_offer.eml"), message("cheap_watches.eml")});
    fake.addRow(QStringLiteral("A"), 1);
    fake.addRow(QStringLiteral("A"), 2);
    // Permission bits would not stop a test run as root; a file or folder in the way does.
    const QString blocked = fake.desk.global.dataPath(blocker);
    if (blocker == QLatin1String("Trash")) {
        QVERIFY(QDir(blocked).removeRecursively());
        fake.desk.home.write(QStringLiteral("Documents/Spam/Trash"), "not a folder");
    } else {
        QVERIFY(QDir().mkpath(blocked));
    }

    fake.desk.run.Command2_Click();

    QCOMPARE(fake.received[QStringLiteral("A")], sent);
    QCOMPARE(fake.mailboxes[QStringLiteral("A")].messages.size(), left);
    QCOMPARE(fake.desk.lines(), QStringList({"Connect to A", "Deleting spam"}) + kept +
                                    QStringList({"Close connection", "Done"}));
    QCOMPARE(fake.desk.global.settings[setting::TrashNext], QStringLiteral("2"));
}

void TestProcessingRun::missingMessageFileIsStillDeleted() {
    FakeDesk fake;
    fake.addAccount(QStringLiteral("A"), {message("pill_offer.eml")});
    fake.addRow(QStringLiteral("A"), 1);
    QVERIFY(QFile::remove(fake.desk.global.dataPath(QStringLiteral("email1.eml"))));

    fake.desk.run.Command2_Click();

    QCOMPARE(fake.received[QStringLiteral("A")], loggedIn("a", {"LIST 1", "DELE 1", "QUIT"}));
    QVERIFY(fake.mailboxes[QStringLiteral("A")].messages.isEmpty());
    QVERIFY(fake.desk.trashNames().isEmpty());
    QCOMPARE(fake.desk.global.settings[setting::TrashNext], QStringLiteral("1"));
}

void TestProcessingRun::rowSelection_data() {
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QList<QByteArray>>("sent");
    const QList<QByteArray> deleted = loggedIn("a", {"LIST 1", "DELE 1", "QUIT"});
    const QList<QByteArray> untouched = loggedIn("a", {"QUIT"});
    QTest::newRow("D") << "1"
                       << "D"
                       << "A" << deleted;
    QTest::newRow("B") << "1"
                       << "B"
                       << "A" << deleted;
    QTest::newRow("W") << "1"
                       << "W"
                       << "A" << untouched;
    QTest::newRow("keep") << "1"
                          << ""
                          << "A" << untouched;
    QTest::newRow("lower-case d") << "1"
                                  << "d"
                                  << "A" << untouched;
    QTest::newRow("other account") << "1"
                                   << "D"
                                   << "AB" << untouched;
    QTest::newRow("account in other case") << "1"
                                           << "D"
                                           << "a" << untouched;
    QTest::newRow("enabled, not 1") << "yes"
                                    << "D"
                                    << "A" << untouched;
    QTest::newRow("disabled") << ""
                              << "D"
                              << "A" << QList<QByteArray>();
}

void TestProcessingRun::rowSelection() {
    QFETCH(QString, enabled);
    QFETCH(QString, action);
    QFETCH(QString, account);
    QFETCH(QList<QByteArray>, sent);
    FakeDesk fake;
    fake.addAccount(QStringLiteral("A"), {message("pill_offer.eml")}, enabled);
    fake.addRow(QStringLiteral("A"), 1, action);
    fake.desk.table.setCell(1, col::Account, account);

    fake.desk.run.Command2_Click();

    QCOMPARE(fake.received[QStringLiteral("A")], sent);
    QCOMPARE(fake.desk.trashNames().size(), sent.contains("DELE 1") ? 1 : 0);
    QCOMPARE(fake.desk.lines().constLast(), QStringLiteral("Done"));
}

void TestProcessingRun::trashCounter_data() {
    QTest::addColumn<QString>("keep");
    QTest::addColumn<QString>("next");
    QTest::addColumn<QString>("copy");
    QTest::addColumn<QString>("after");
    QTest::newRow("first") << "200"
                           << "0"
                           << "Email0.eml"
                           << "1";
    QTest::newRow("wraps") << "10"
                           << "9"
                           << "Email9.eml"
                           << "0";
    QTest::newRow("keep 0 counts as 10") << "0"
                                         << "9"
                                         << "Email9.eml"
                                         << "0";
    QTest::newRow("negative keep counts as 10") << "-3"
                                                << "9"
                                                << "Email9.eml"
                                                << "0";
    QTest::newRow("keep 1") << "1"
                            << "0"
                            << "Email0.eml"
                            << "0";
    QTest::newRow("unnumbered next") << "10"
                                     << "abc"
                                     << "Email0.eml"
                                     << "1";
    QTest::newRow("leading numbers") << "10x"
                                     << " 4 apples"
                                     << "Email4.eml"
                                     << "5";
    QTest::newRow("next beyond keep") << "10"
                                      << "15"
                                      << "Email5.eml"
                                      << "6";
    QTest::newRow("negative next") << "10"
                                   << "-3"
                                   << "Email7.eml"
                                   << "8";
}

void TestProcessingRun::trashCounter() {
    QFETCH(QString, keep);
    QFETCH(QString, next);
    QFETCH(QString, copy);
    QFETCH(QString, after);
    FakeDesk fake;
    fake.desk.global.settings[setting::TrashKeep] = keep;
    fake.desk.global.settings[setting::TrashNext] = next;
    fake.addAccount(QStringLiteral("A"), {message("pill_offer.eml")});
    fake.addRow(QStringLiteral("A"), 1);
    const QByteArray downloaded = fake.desk.dataFile(QStringLiteral("email1.eml"));

    fake.desk.run.Command2_Click();

    QCOMPARE(fake.desk.trashNames(), QStringList{copy});
    QCOMPARE(fake.desk.trashFile(copy), downloaded);
    QCOMPARE(fake.desk.global.settings[setting::TrashNext], after);
}

void TestProcessingRun::runEmailProgram_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QStringList>("callbacks");
    const QStringList both{"email program", "close"};
    QTest::newRow("1") << "1" << both;
    QTest::newRow("1.0") << " 1.0" << both;
    QTest::newRow("0") << "0" << QStringList();
    QTest::newRow("2") << "2" << QStringList();
    QTest::newRow("empty") << "" << QStringList();
}

void TestProcessingRun::runEmailProgram() {
    QFETCH(QString, setting);
    QFETCH(QStringList, callbacks);
    FakeDesk fake;
    fake.desk.global.settings[setting::RunEmailProgram] = setting;
    fake.desk.addRow({QStringLiteral("Nobody"), 1, QStringLiteral("D")});
    QObject::connect(&fake.desk.pane, &TextPane::textChanged,
                     [&fake] { fake.desk.callbacks.append(QStringLiteral("log")); });
    fake.desk.run.Command2_Click();
    // After "Done": the pane is emptied and "Done" written before either callback.
    QCOMPARE(fake.desk.callbacks, QStringList({"log", "log"}) + callbacks);
    QCOMPARE(fake.desk.lines(), QStringList{QStringLiteral("Done")});
    QCOMPARE(fake.desk.host.calls, QStringList({"Buttons 0", "Buttons 1"}));
}

QTEST_GUILESS_MAIN(TestProcessingRun)
#include "test_processing_run.moc"
