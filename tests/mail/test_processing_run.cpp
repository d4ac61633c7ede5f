#include "mail/email_program.h"
#include "mail/mail_rig.h"

#include <QDir>
#include <QtTest>

namespace {

struct Rig : FakeDesk {
    // Adds a row for message n of an account with "email<r>.eml" as its file, which is written
    // when the account has a mailbox.
    void addRow(const QString& account, int n, const QString& action = "D",
                const QString& from = {}, const QString& reason = {}, const QString& ip = {}) {
        const int r = table.occupiedRows() + 1;
        const QByteArray mail = mailboxes.value(account).messages.value(n - 1);
        const QString name = QStringLiteral("email%1.eml").arg(r);
        table.setCell(r, col::Account, account);
        table.setCell(r, col::N, QString::number(n));
        table.setCell(r, col::Bytes, QString::number(mail.size()));
        table.setCell(r, col::File, name);
        markRow(table, r, action, from, reason, ip);
        if (mailboxes.contains(account))
            write(name, FakeMailbox::retrReply(mail));
    }
};

} // namespace

class TestProcessingRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptyTableDoesNothing() {
        Rig rig;
        rig.addMailbox("A", {sample("pill_offer.eml")});
        rig.pane.setText("kept\r\n");
        rig.processing.Command2_Click();
        QCOMPARE(rig.pane.text(), QStringLiteral("kept\r\n"));
        QVERIFY(rig.observer.calls.isEmpty());
        QCOMPARE(QDir(rig.global.DataFolder).entryList(QDir::Files), QStringList{"config.ini"});
    }

    void unsavedListIsReported() {
        Rig rig;
        QVERIFY(QDir(rig.global.DataFolder).mkdir("Blacklist.txt"));
        rig.addRow("Nobody", 1, "B", "s@x.example", "", "10.1.2.3");
        rig.processing.Command2_Click();
        QCOMPARE(rig.lines(), QStringList({"Could not save Blacklist.txt", "Done"}));
        QCOMPARE(rig.file("BlackIP.txt"), QByteArray("10.1.2.3\r\n"));
        QVERIFY(QFile::exists(rig.global.dataPath("Whitelist.txt"))); // saved with nothing added
    }

    void keptOnServer_data() {
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::addColumn<QStringList>("kept"); // files logged as kept on the server
        QTest::addColumn<QStringList>("trash");
        auto row = [](const char* name, QString blocker, QList<QByteArray> sent, QStringList kept,
                      QStringList trash) {
            sent = QList<QByteArray>{"CAPA", "USER a", "PASS a-pw", "UIDL"} + sent << "QUIT";
            QTest::newRow(name) << blocker << sent << kept << trash;
        };
        // A size other than the row's: the box, no DELE, but a Trash copy all the same.
        row("size mismatch", "size", {"LIST 1", "LIST 2", "DELE 2"}, {},
            {"Email0.eml", "Email1.eml"});
        // Permission bits would not stop a test run as root; a file or folder in the way does.
        row("Trash folder is a file", "Trash", {"LIST 1", "LIST 2"}, {"email1.eml", "email2.eml"},
            {});
        row("copy name is a folder", "Trash/Email0.eml", {"LIST 1", "LIST 2", "DELE 2"},
            {"email1.eml"}, {"Email1.eml"});
        // A message whose file is gone stays too: no copy could bring it back. Its Trash slot is
        // passed over.
        row("message file missing", "email1.eml", {"LIST 1", "LIST 2", "DELE 2"}, {"email1.eml"},
            {"Email1.eml"});
        // Marked while the dialogue runs: copied when its turn comes.
        row("marked meanwhile", "marked", {"LIST 1", "DELE 1", "LIST 2", "DELE 2"}, {},
            {"Email0.eml", "Email1.eml"});
    }

    void keptOnServer() {
        QFETCH(QString, blocker);
        QFETCH(QList<QByteArray>, sent);
        QFETCH(QStringList, kept);
        QFETCH(QStringList, trash);
        Rig rig;
        rig.addMailbox("A", {sample("cheap_watches.eml"), sample("pill_offer.eml")});
        rig.addRow("A", 1);
        rig.addRow("A", 2, "B");
        const QByteArray first = rig.file("email1.eml");
        const QString blocked = rig.global.dataPath(blocker);
        if (blocker == QLatin1String("size")) {
            rig.table.setCell(1, col::Bytes,
                              QString::number(sample("cheap_watches.eml").size() + 1));
        } else if (blocker == QLatin1String("email1.eml")) {
            QVERIFY(QFile::remove(blocked));
        } else if (blocker == QLatin1String("marked")) {
            rig.table.setCell(2, col::Action, QString());
            rig.instead["A LIST 1"] = [&rig] {
                rig.table.setCell(2, col::Action, QStringLiteral("D"));
                rig.serve(rig.mailboxes["A"].answer("LIST 1"));
            };
        } else if (blocker == QLatin1String("Trash")) {
            QVERIFY(QDir(blocked).removeRecursively());
            rig.write(blocker, "not a folder");
        } else {
            QVERIFY(QDir().mkpath(blocked));
        }

        rig.processing.Command2_Click();

        QCOMPARE(rig.received["A"], sent);
        QStringList lines{"Connect to A", "Deleting spam"};
        for (const QString& file : kept)
            lines.append((blocker == "email1.eml" ? "Kept on server: its message file is missing: "
                                                  : "Kept on server: no Trash copy of ") +
                         file);
        QCOMPARE(rig.lines(), lines + QStringList({"Close connection", "Done"}));
        QCOMPARE(filesIn(rig.global.TrashFolder).keys(), trash);
        if (trash.contains("Email0.eml"))
            QCOMPARE(rig.file("Trash/Email0.eml"), first);
        if (trash.contains("Email1.eml"))
            QCOMPARE(rig.file("Trash/Email1.eml"), rig.file("email2.eml"));
        QCOMPARE(rig.global.settings[setting::TrashNext], QStringLiteral("2"));
        // Stored before the first DELE went out, so a crash cannot let it rewind.
        if (sent.contains("DELE 2"))
            QCOMPARE(rig.file("config.ini").split('\n').value(setting::TrashNext),
                     QByteArray("2\r"));
        QCOMPARE(rig.platform.boxes.size(), blocker == QLatin1String("size") ? 1 : 0);
        for (const ScriptedPlatform::Box& box : rig.platform.boxes) {
            QCOMPARE(box.text, QStringLiteral("Wrong size - email not deleted!      "));
            QCOMPARE(box.title, QCoreApplication::applicationName());
            QCOMPARE(box.buttons, Platform::Buttons::Ok);
        }
    }

    // The window closing during a wait ends the run there, touching nothing more.
    void abandonDuringAWait() {
        Rig rig;
        rig.addMailbox("A", {sample("pill_offer.eml")});
        rig.addMailbox("B", {sample("pills_again.eml")});
        rig.addRow("A", 1);
        rig.addRow("B", 1);
        rig.instead["A LIST 1"] = [&rig] { rig.channel.abandon(); };
        rig.processing.Command2_Click();
        QCOMPARE(rig.lines(), QStringList({"Connect to A", "Deleting spam"}));
        QCOMPARE(rig.observer.calls, QStringList{"running"});
        QCOMPARE(rig.table.occupiedRows(), 2);
        QVERIFY(rig.platform.opened.isEmpty());
    }

    // Setting, programs present, programs that fail, the program started, the desktop's
    // ("mailer -x") started after it and the box shown.
    void emailProgram_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("failing");
        QTest::addColumn<QStringList>("started");
        QTest::addColumn<QStringList>("then");
        QTest::addColumn<QString>("box");
        const auto row = [](const char* name, const QString& setting, const QStringList& existing,
                            const QStringList& failing, const QStringList& started,
                            const QStringList& then, const QString& box = {}) {
            QTest::newRow(name) << setting << existing << failing << started << then << box;
        };
        const QStringList profile{"thunderbird", "-P", "my profile"};
        const QString withProfile = "thunderbird -P \"my profile\"";
        row("present program with arguments", withProfile, {"thunderbird"}, {}, profile, {});
        row("path with blanks, as a whole", "/tmp/My Mail/mail -x",
            {"/tmp/My Mail/mail -x", "/tmp/My"}, {}, {"/tmp/My Mail/mail -x"}, {});
        row("path with blanks not present: first word and arguments", "/tmp/My Mail/mail",
            {"/tmp/My"}, {}, {"/tmp/My", "Mail/mail"}, {});
        const QStringList desktop{"mailer", "-x"};
        row("absent program starts the desktop's", "msimn.exe", {}, {}, desktop, {});
        row("a program that fails to start too", withProfile, {"thunderbird"}, {"thunderbird"},
            profile, desktop);
        row("no desktop program either", "msimn.exe", {}, {"mailer"}, desktop, {},
            "No email program could be started. Choose one as \"Email program:\" under Edit > "
            "Preferences.      ");
        row("empty does nothing", "", {}, {}, {}, {});
    }

    void emailProgram() {
        QFETCH(QString, setting);
        QFETCH(QStringList, existing);
        QFETCH(QStringList, failing);
        QFETCH(QStringList, started);
        QFETCH(QStringList, then);
        QFETCH(QString, box);
        Rig rig;
        rig.global.settings[setting::EmailProgram] = setting;
        rig.platform.existingPrograms = existing;
        rig.platform.failing = failing;
        rig.platform.desktopMail = {"mailer", "-x"};
        startEmailProgram(rig.global.settings, rig.platform);
        QCOMPARE(rig.platform.started.value(0), started);
        QCOMPARE(rig.platform.started.value(1), then);
        QCOMPARE(rig.platform.boxes.value(0).text, box);
    }

    // After "Done" the e-mail program is started (neither the stored one nor the desktop's
    // is there here, which is told) and the window asked to close.
    void runEmailProgram_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("runs");
        for (const QString setting : {"1", " 1.0", "0"})
            QTest::newRow(qPrintable(setting)) << setting << (setting != "0");
    }

    void runEmailProgram() {
        QFETCH(QString, setting);
        QFETCH(bool, runs);
        Rig rig;
        rig.global.settings[setting::RunEmailProgram] = setting;
        rig.addRow("Nobody", 1);
        rig.processing.Command2_Click();
        QCOMPARE(rig.lines(), QStringList{"Done"});
        QCOMPARE(rig.observer.calls,
                 QStringList({"running", "idle"}) + (runs ? QStringList{"close"} : QStringList()));
        QCOMPARE(rig.platform.boxes.size(), runs ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestProcessingRun)
#include "test_processing_run.moc"
