#include "mail/mail_rig.h"

#include <QtTest>

namespace {

const QStringList TableHead = {"------------------------------------",
                               " Account             Msgs      Size",
                               "------------------------------------"};

// Messages of these sizes in bytes; only the servers' counts and sizes matter here.
QList<QByteArray> sized(const QList<qsizetype>& sizes) {
    QList<QByteArray> mail;
    for (qsizetype size : sizes)
        mail.append(QByteArray(size, 'x'));
    return mail;
}

// A desk with two enabled mailboxes ("Home": 3 messages of 3 k together, "Work": none), a
// disabled one and, when asked, one whose STAT fails.
struct Rig : FakeDesk {
    explicit Rig(bool withFailing = false) {
        addMailbox("Home", sized({1024, 1025, 1023}));
        addMailbox("An account name over twenty", {});
        addMailbox("Off", sized({5000}), false);
        if (withFailing) {
            addMailbox("Down", sized({1}));
            overrides["Down STAT"] = "-ERR mailbox locked\r\n";
        }
    }
    void minutes(int n) {
        for (int i = 0; i < n; ++i)
            clock.advance(60);
    }
    QStringList notices() const { return observer.calls.filter("notifier"); }
};

} // namespace

class TestMailChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void quickCheck_data() {
        QTest::addColumn<bool>("withFailing");
        QTest::addColumn<QStringList>("pane");
        const QStringList counted = {" Home                3         3k",
                                     " An account name over0         0k"};
        QTest::newRow("the table replaces the lines") << false << TableHead + counted;
        // The failed account's zeros must not pass for an empty mailbox.
        QTest::newRow("a failure keeps the lines")
            << true
            << QStringList{"Connect to Home",
                           "Close connection",
                           "Connect to An account name over twenty",
                           "Close connection",
                           "Connect to Down",
                           "Error - bad command",
                           "Done"} +
                   TableHead + counted + QStringList{" Down                0         0k"};
    }
    void quickCheck() {
        QFETCH(bool, withFailing);
        QFETCH(QStringList, pane);
        Rig rig(withFailing);
        rig.global.accounts.row(1).AccountPassword = "\U0001F600"; // goes as UTF-8
        rig.table.setCell(1, col::File, "old.eml");
        rig.quickCheck();
        QCOMPARE(rig.lines(), pane);
        QVERIFY(!rig.table.isOccupied(1));
        QCOMPARE(rig.received["Home"],
                 (QList<QByteArray>{"CAPA", "USER home", "PASS \U0001F600", "STAT", "QUIT"}));
        QVERIFY(!rig.received.contains("Off"));
        QCOMPARE(rig.observer.calls, QStringList({"running", "idle"}));
        QCOMPARE(rig.platform.busy, false);
    }

    void deleteLarge_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("left"); // messages left on Home
        const QString range = "The size must be between 100 and 30000.      ";
        for (const QString refused : {"99", "30001", "big", ""}) // "": cancelled
            QTest::newRow(refused.isEmpty() ? "cancelled" : qPrintable(refused))
                << refused << (refused.isEmpty() ? "" : range) << QStringList() << 4;
        const QStringList read = {"Connect to Home", "Reading 4 emails (402k)"};
        const QStringList rest = {"Close connection", "Connect to An account name over twenty",
                                  "Reading 0 emails (0k)", "Close connection", "Done"};
        // Only a whole k above the limit counts: 100k and 1 byte stays.
        const QStringList deleted = {"Deleting message.Size = 101k",
                                     "Deleting message.Size = 200k"};
        QTest::newRow("100k") << "100k"
                              << "" << read + deleted + rest << 2;
        QTest::newRow("30000 keeps all") << " 30000"
                                         << "" << read + rest << 4;
    }
    void deleteLarge() {
        QFETCH(QString, typed);
        QFETCH(QString, box);
        QFETCH(QStringList, lines);
        QFETCH(int, left);
        FakeDesk rig;
        rig.addMailbox("Home", sized({102400 + 1023, 103424, 100, 204800}));
        rig.addMailbox("An account name over twenty", {});
        rig.platform.typed.enqueue(typed);
        rig.largeMail.ActionsDelLarge_Click(QPoint(300, 450));
        QCOMPARE(rig.platform.prompts.size(), 1);
        const ScriptedPlatform::Prompt& prompt = rig.platform.prompts[0];
        QCOMPARE(prompt.prompt, QString("Enter the maximum size in k that is allowed\r\nfor an "
                                        "email (1000 is 1Mb). Any email that\r\nis larger than "
                                        "this value will be deleted."));
        QCOMPARE(prompt.title, QString("Delete large emails"));
        QCOMPARE(prompt.defaultText, QString("1000"));
        QCOMPARE(prompt.position, QPoint(1300, 1450));
        QCOMPARE(rig.platform.boxes.value(0).text, box);
        if (!box.isEmpty()) {
            QCOMPARE(rig.platform.boxes[0].title, QString("Error"));
            QCOMPARE(rig.platform.boxes[0].icon, Platform::Icon::Warning);
        }
        QCOMPARE(rig.lines(), lines);
        QCOMPARE(rig.mailboxes["Home"].messages.size(), left);
        QVERIFY(rig.global.TrashFolder.isEmpty() || QDir(rig.global.TrashFolder).isEmpty());
    }

    // Each kind of server's dialogue. A refused command ends it without QUIT, so nothing is
    // deleted, not even the messages whose DELE was answered.
    void deleteLargeDialogue_data() {
        QTest::addColumn<QList<QByteArray>>("capabilities");
        QTest::addColumn<QByteArray>("refused");
        QTest::addColumn<QList<QByteArray>>("sent"); // after PASS
        const QList<QByteArray> plain = ServerKinds[1].second, pipelining = ServerKinds[2].second;
        using Sent = QList<QByteArray>;
        QTest::newRow("one at a time")
            << plain << QByteArray()
            << Sent{"STAT", "LIST 1", "DELE 1", "LIST 2", "DELE 2", "LIST 3", "DELE 3", "QUIT"};
        QTest::newRow("pipelined") << pipelining << QByteArray()
                                   << Sent{"STAT", "LIST", "DELE 1", "DELE 2", "DELE 3", "QUIT"};
        QTest::newRow("LIST 2 refused")
            << plain << QByteArray("LIST 2") << Sent{"STAT", "LIST 1", "DELE 1", "LIST 2"};
        QTest::newRow("pipelined DELE 2 refused")
            << pipelining << QByteArray("DELE 2")
            << Sent{"STAT", "LIST", "DELE 1", "DELE 2", "DELE 3"};
    }
    void deleteLargeDialogue() {
        QFETCH(QList<QByteArray>, capabilities);
        QFETCH(QByteArray, refused);
        QFETCH(QList<QByteArray>, sent);
        FakeDesk rig;
        rig.capabilities = capabilities;
        rig.addMailbox("Home", sized({204800, 204800, 204800}));
        if (!refused.isEmpty())
            rig.overrides["Home " + refused] = "-ERR\r\n";
        rig.platform.typed.enqueue("100");
        rig.largeMail.ActionsDelLarge_Click({});
        QCOMPARE(rig.received["Home"].mid(3), sent);
        QCOMPARE(rig.mailboxes["Home"].messages.size(), refused.isEmpty() ? 0 : 3);
        QCOMPARE(rig.lines().contains("Error - bad command"), !refused.isEmpty());
    }

    // With CheckEveryMins 5, or set lower, the check comes on the fifth minute and again five
    // minutes after it ends; shown again, the window stops it.
    void automaticCheckEveryFiveMinutes_data() {
        QTest::addColumn<QString>("every");
        for (const char* every : {"5", "2", "0"})
            QTest::newRow(every) << QString(every);
    }
    void automaticCheckEveryFiveMinutes() {
        QFETCH(QString, every);
        Rig rig(true);
        rig.global.settings[setting::CheckEveryMins] = every;
        AutoCheckRun& automatic = rig.runs.automatic();
        automatic.start();
        QVERIFY(automatic.ticking());
        const QString shown =
            "notifier: Home 3 3, An account name over twenty 0 0, Down 0 0 failed";
        for (int check = 1; check <= 2; ++check) {
            rig.minutes(4);
            QCOMPARE(rig.notices().size(), check - 1);
            rig.minutes(1);
            QCOMPARE(rig.notices(), QStringList(check, shown));
            QVERIFY(automatic.ticking());
        }
        QCOMPARE(rig.received["Home"].size(), 10);
        QVERIFY(!rig.observer.calls.contains("password"));
        automatic.stop();
        QVERIFY(!automatic.ticking());
        rig.minutes(20);
        QCOMPARE(rig.notices().size(), 2);
    }

    // Shown again in the middle of a check: the check ends, then Timer2 stays off.
    void restoredDuringACheck() {
        Rig rig;
        AutoCheckRun& automatic = rig.runs.automatic();
        rig.instead["Home STAT"] = [&] { automatic.stop(); };
        automatic.start();
        rig.minutes(5);
        QCOMPARE(rig.notices(),
                 QStringList("notifier: Home 0 0 failed, An account name over twenty 0 0"));
        QVERIFY(!automatic.ticking());
        QVERIFY(!rig.runs.autoCheck().busy());
    }

    // A check that falls due while a run of the user's waits on a server comes at the next
    // tick after the run, never inside it.
    void checkWaitsForARun() {
        Rig rig;
        rig.mailboxes["Home"].messages = numberedMessages(3);
        rig.runs.automatic().start();
        rig.instead["Home RETR 1"] = [&] {
            for (int minute = 0; minute < 5; ++minute) // in no time: the RETR waits on
                rig.runs.automatic().Timer2_Timer();
            rig.serve(FakeMailbox::retrReply(rig.mailboxes["Home"].messages[0]));
        };
        rig.retrieval.Command1_Click();
        QCOMPARE(rig.table.cell(3, col::File), "email3.eml");
        QCOMPARE(rig.socket.connects, 2);
        QVERIFY(rig.notices().isEmpty());
        rig.runs.automatic().Timer2_Timer();
        QCOMPARE(rig.notices().size(), 1);
    }

    // The user's runs wait for no server while the check counts: no list file is saved and
    // the run state stays.
    void userRunsRefusedDuringACheck_data() {
        QTest::addColumn<int>("run");
        for (int run = 0; run < 4; ++run)
            QTest::newRow(QByteArray::number(run)) << run;
    }
    void userRunsRefusedDuringACheck() {
        QFETCH(int, run);
        Rig rig;
        rig.table.setCell(1, col::File, "old.eml");
        rig.table.ColourRow("B", 1, colour::White, {});
        rig.table.setCell(1, col::From, "s@x.example");
        rig.platform.typed.enqueue("100");
        const std::function<void()> runs[] = {
            [&] { rig.retrieval.Command1_Click(); }, [&] { rig.processing.Command2_Click(); },
            [&] { rig.quickCheck(); }, [&] { rig.largeMail.ActionsDelLarge_Click({}); }};
        rig.instead["Home STAT"] = [&] {
            rig.pane.clear();
            const QStringList calls = rig.observer.calls;
            runs[run]();
            QCOMPARE(rig.lines(), QStringList{"Busy, wait a minute..."});
            QCOMPARE(rig.observer.calls, calls);
        };
        rig.runs.automatic().start();
        rig.minutes(5);
        QCOMPARE(rig.socket.connects, 2);
        // The others clear the table before they are refused; Process keeps its rows.
        QCOMPARE(rig.table.isOccupied(1), run == 1);
        QVERIFY(!QFile::exists(rig.global.dataPath("Blacklist.txt")));
        QCOMPARE(rig.platform.prompts.size(), 0);
        QVERIFY(!rig.runs.autoCheck().busy());
    }

    // AutoDelete: Get mail and Process first, so the notifier counts what they left; Process
    // starts no e-mail program and keeps the program open. A refused password skips Get mail.
    void autoDelete_data() {
        QTest::addColumn<bool>("refused");
        QTest::newRow("password given") << false;
        QTest::newRow("password refused") << true;
    }
    void autoDelete() {
        QFETCH(bool, refused);
        FakeDesk rig;
        const QList<QByteArray> mail = {"From: a@b\r\nTo: x@y\r\n\r\nno subject\r\n",
                                        "From: a@b\r\nTo: x@y\r\nSubject: hello\r\n\r\nhi\r\n"};
        rig.addMailbox("Home", mail);
        rig.global.settings[setting::AutoDelete] = "1";
        rig.global.settings[setting::RunEmailProgram] = "1";
        rig.global.settings[setting::MarkNotToMe] = "0";
        rig.observer.refusePassword = refused;
        rig.runs.automatic().start();
        for (int i = 0; i < 5; ++i)
            rig.clock.advance(60);
        QCOMPARE(rig.observer.calls.filter("notifier"),
                 QStringList{refused ? "notifier: Home 2 0" : "notifier: Home 1 0"});
        QCOMPARE(rig.observer.calls.contains("close"), false);
        QCOMPARE(rig.platform.started.size(), 0);
        QCOMPARE(rig.mailboxes["Home"].messages, refused ? mail : mail.mid(1));
        // The deleted message's Trash copy is the file Get mail wrote, as Process by hand keeps.
        QMap<QString, QByteArray> trash;
        if (!refused)
            trash["Email0.eml"] = FakeMailbox::retrReply(mail[0]);
        QCOMPARE(filesIn(rig.global.TrashFolder), trash);
        QVERIFY(rig.runs.automatic().ticking());
    }
};

QTEST_GUILESS_MAIN(TestMailChecks)
#include "test_mail_checks.moc"
