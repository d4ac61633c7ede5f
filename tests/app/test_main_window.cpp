#include "main_window_rig.h"
#include "support/fake_pop3_server.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:

    // The statistics count the accounts up to the first without a mail server.
    void startUp() {
        Started s;
        QStringList records = accountLines({"home", "work", "old"}, {"1", "", "1"});
        records[21] = ""; // work's mail server
        s.put("Accounts.txt", records);
        s.put("BlackIP.txt", {"1.2.3.4", "5.6.7.8"});
        s.put("Blacklist.txt", {"a@b"});
        s.put("Rules.txt", ruleLines({"X|Body|p||||||"}));
        s.home.write("Documents/Spam/Trash/Email200.eml", "x"); // past the Trash's 200
        s.start();

        QVERIFY(QFile::exists(s.home.dataFolder() + "/config.ini"));
        QCOMPARE(s.window->loadState(), QString());
        QCOMPARE(s.pane(),
                 QString("--------------------\nStatistics...\n--------------------\n"
                         "Loaded 2 blackisted IP addresses\nLoaded 1 blackisted email addresses\n"
                         "Loaded 1 rules\nLoaded 1 email accounts\n"));
        QStringList accounts; // selected ones starred
        for (int i = 0; i < s.accounts()->count(); ++i)
            accounts << s.accounts()->item(i)->text() +
                            (s.accounts()->item(i)->isSelected() ? "*" : "");
        QCOMPARE(accounts, (QStringList{"home*", "work", "old*"}));
        QVERIFY(!QFile::exists(s.home.dataFolder() + "/Trash/Email200.eml"));
        QCOMPARE(s.platform.busy, false);
    }

    void controlsAtDesign() {
        Started s;
        s.start();
        // Seven toolbar buttons 960 twips apart, then three small ones stacked at 7680; the
        // second to the fourth start greyed.
        const QStringList buttons{"Command1| Get mail| Get email ",
                                  "Command2|Process| Process email - apply actions ",
                                  "Command3|Stop| Stop current task ",
                                  "Command4|Open in OE| Open selected message in Outlook Express ",
                                  "Command6|Trash| Browse deleted emails ",
                                  "Command7|Config| Configure the program ",
                                  "Command5|Email prog| Run your email program ",
                                  "Command8|Mark all D| Mark all unmarked email D ",
                                  "Command11|D >> B| Change email marked D to B ",
                                  "Command9|Mark all B| Mark all unmarked email B "};
        for (int i = 0; i < buttons.size(); ++i) {
            const QStringList spec = buttons[i].split('|');
            const QRect twips =
                i < 7 ? QRect(960 * i, 15, 975, 780) : QRect(7680, 15 + 255 * (i - 7), 975, 270);
            QPushButton* button = s.button(spec[0]);
            QCOMPARE(button->text(), spec[1]);
            QCOMPARE(button->toolTip(), spec[2]);
            QCOMPARE(button->geometry(), QRect(twips.topLeft() / 15, twips.size() / 15));
            QCOMPARE(button->isEnabled(), i == 0 || i > 3);
        }
        // Buttons() greys or frees them all but Stop, which goes the other way.
        for (bool enabled : {false, true}) {
            s.window->Buttons(enabled);
            for (int i = 0; i < buttons.size(); ++i)
                QCOMPARE(s.button(buttons[i].section('|', 0, 0))->isEnabled(), enabled != (i == 2));
            QCOMPARE(s.find<QAction>("FileGetMail")->isEnabled(), enabled);
            QCOMPARE(s.find<QAction>("FileDeleteSpam")->isEnabled(), enabled);
        }
        QVERIFY(!s.find<QCheckBox>("Check2")->isEnabled());
        QVERIFY(s.find<QCheckBox>("Check1")->isEnabled());
        QVERIFY(s.find<QWidget>("Frame1")->isHidden());
        QCOMPARE(s.window->windowTitle(), QString("Mailweir"));
        QStringList menuItems;
        for (QAction* action : s.window->findChildren<QAction*>())
            if (!action->objectName().isEmpty() && !action->isSeparator())
                menuItems << action->objectName() + "=" + action->text();
        for (const char* item :
             {"FileClearPassword=Clear settings", "FileTrashBrowser=Trash browser", "FileExit=Exit",
              "EditAccounts=Accounts", "EditBlacklist=Black/white lists", "EditRules=Rules",
              "EditPreferences=Preferences", "FileGetMail=Get mail", "FileDeleteSpam=Process mail",
              "ActionsQuickCheck=Quick mail check", "ActionsDelLarge=Delete large email",
              "HelpHelp=Read the manual", "HelpSupport=Email support",
              "HelpGoWebsite=Go to website", "HelpAbout=About"})
            QVERIFY2(menuItems.contains(QString::fromLatin1(item)), item);
    }

    void passwordGuard_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QList<bool>>("refused");
        QTest::addColumn<int>("prompts");
        QTest::newRow("no password never asks")
            << "" << QStringList() << QList<bool>{false, false} << 0;
        QTest::newRow("right entry asked once")
            << "Pw" << QStringList{"Pw"} << QList<bool>{false, false} << 1;
        QTest::newRow("wrong entry asked again")
            << "Pw" << QStringList{"pw", "Pw"} << QList<bool>{true, false} << 2;
        QTest::newRow("cancelled") << "Pw" << QStringList{""} << QList<bool>{true} << 1;
    }

    void passwordGuard() {
        QFETCH(QString, password);
        QFETCH(QStringList, typed);
        QFETCH(QList<bool>, refused);
        QFETCH(int, prompts);
        Started s;
        s.start();
        s.global.settings[setting::ProgramPassword] = password;
        s.platform.typed.append(typed);
        s.window->move(100, 40);
        QList<bool> results;
        for (int i = 0; i < refused.size(); ++i)
            results.append(s.window->GetPassword());
        QCOMPARE(results, refused);
        QCOMPARE(s.platform.prompts.size(), prompts);
        for (const auto& prompt : s.platform.prompts) {
            QCOMPARE(
                prompt.prompt,
                QString("A password has been set. To access\r\nthis function, you must enter it."));
            QCOMPARE(prompt.title, QString("Password?"));
            QCOMPARE(prompt.defaultText, QString());
            QCOMPARE(prompt.position,
                     s.window->frameGeometry().topLeft() * 15 + QPoint(3000, 2000));
            QVERIFY(prompt.secret);
        }
    }

    // Each command once refused and once let through by the password guard: the window it
    // opens, and no message.
    void commandGuards_data() {
        QTest::addColumn<bool>("guarded");
        QTest::addColumn<QString>("opens");
        // "*" marks a guarded command; the window it opens follows its name.
        for (const char* command :
             {"*Command1", "*FileGetMail", "Command2", "FileDeleteSpam", "*Command6 TrashBrowser",
              "*FileTrashBrowser TrashBrowser", "*Command7 Preferences",
              "*EditPreferences Preferences", "*EditAccounts Accounts", "*EditBlacklist Lists",
              "EditRules RulesEditor", "*ActionsQuickCheck", "*ActionsDelLarge", "HelpAbout About",
              "Command5", "HelpHelp"}) {
            const QString entry = command;
            QTest::newRow(qPrintable(entry.section(' ', 0, 0).remove('*')))
                << entry.startsWith('*') << entry.section(' ', 1);
        }
    }
    void commandGuards() {
        const QString trigger = QTest::currentDataTag();
        QFETCH(bool, guarded);
        QFETCH(QString, opens);
        Started s;
        s.start();
        s.global.settings[setting::ProgramPassword] = "pw";
        s.platform.typed << "wrong"
                         << "pw";
        s.platform.desktopMail = {"mailer"};
        QStringList opened;
        ModalCloser closer([&](QWidget* window) { opened << window->objectName(); });
        auto fire = [&] {
            if (auto* button = s.window->findChild<QPushButton*>(trigger))
                button->click();
            else
                s.trigger(trigger);
        };
        const QString pane = s.pane();
        fire();
        QCOMPARE(s.platform.prompts.size(), guarded ? 1 : 0);
        if (guarded) { // refused: nothing ran; then let through
            QCOMPARE(s.pane(), pane);
            fire();
            QCOMPARE(s.platform.prompts.value(1).title, QString("Password?"));
        }
        QCOMPARE(opened, opens.isEmpty() ? QStringList() : QStringList{opens});
        QCOMPARE(s.platform.boxes.size(), 0);
    }

    // After an editor closes, the main window takes up what was stored while it was open.
    void editorsAreTakenUp() {
        Started s;
        s.start();
        ModalCloser closer([&](QWidget*) {
            s.global.accounts.row(1).AccountName = "added";
            s.put("Rules.txt", ruleLines({"1|Subject|win||||||"}));
            s.home.write("Documents/Spam/config.ini", "");
        });
        s.global.settings[setting::CheckEveryMins] = "60";
        s.trigger("EditRules");
        QCOMPARE(s.global.rules.rules().size(), 1);
        QCOMPARE(s.global.rules.rules()[0].Phrase1, QString("win"));
        s.trigger("EditAccounts");
        QCOMPARE(s.accounts()->count(), 1);
        QCOMPARE(s.accounts()->item(0)->text(), QString("added"));
        s.trigger("EditBlacklist");
        QCOMPARE(s.global.settings[setting::CheckEveryMins], QString("60"));
        s.trigger("EditPreferences");
        QCOMPARE(s.global.settings[setting::CheckEveryMins], QString("5"));
    }

    void clearSettings() {
        Started s;
        s.put("Accounts.txt", accountLines({"home"}, {"1"}));
        s.home.write("Documents/Spam/Blacklist.txt", "a@b\r\n");
        s.home.write("Documents/Spam/Rules.txt", "X\r\nBody\r\nwin\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
        s.home.write("Documents/Spam/Trash/Email1.eml", "kept");
        s.start();
        s.global.settings[setting::ProgramPassword] = "pw";
        s.global.SaveSettings();
        s.platform.typed.append({"pw", ""});
        QVERIFY(!s.window->GetPassword());
        MessageTable& table = s.window->messageTable();
        table.setCell(1, col::File, "email1.eml");
        table.setCell(2, col::File, "email2.eml");
        table.setCell(2, col::Subject, ".Re: a/b");
        s.home.write("Documents/Spam/email2.eml", "+OK\r\nSubject: x\r\n\r\n..\r\n.\r\n");
        table.grid().setRow(2);
        s.window->Buttons(true);
        s.button("Command4")->click(); // opens the current row's message, clean
        const QString copy = s.global.cleanCopies.folder() + "/email2.eml";
        s.platform.chosenFiles << s.home.path() + "/saved.eml";
        s.trigger("FileSaveMessage");
        QCOMPARE(s.home.read("saved.eml"), QByteArray("Subject: x\r\n\r\n.\r\n"));
        QCOMPARE(s.platform.suggested, QStringList{s.home.documents() + "/Re_ a_b.eml"});

        s.trigger("FileClearPassword");

        QCOMPARE(s.platform.boxes.size(), 1);
        QCOMPARE(s.platform.boxes[0].title, QString("Clear all"));
        QCOMPARE(s.platform.boxes[0].text,
                 QString("Warning: This clears the password, configuration      \r\n"
                         "settings, email accounts, black and whitelists, and      \r\n"
                         "the rules. Are you sure you want to do this?      "));
        QCOMPARE(s.platform.boxes[0].icon, Platform::Icon::Warning);
        QCOMPARE(s.platform.boxes[0].buttons, Platform::Buttons::YesNo);
        QStringList left = QDir(s.home.dataFolder()).entryList(QDir::Files);
        QCOMPARE(left, QStringList{"config.ini"}); // rewritten with the defaults
        QCOMPARE(s.home.read("Documents/Spam/Trash/Email1.eml"), QByteArray("kept"));
        QCOMPARE(s.global.accounts.count(), 0);
        QCOMPARE(s.global.blacklist.entries().size(), 0);
        QCOMPARE(s.global.rules.rules().size(), 0);
        QCOMPARE(s.global.settings[setting::MaxSizeK], QString("100"));
        QCOMPARE(s.accounts()->count(), 0);
        QCOMPARE(s.pane(), QString());
        QCOMPARE(table.cell(1, col::File), QString());
        s.button("Command4")->click(); // the emptied current row opens nothing
        QCOMPARE(s.platform.opened, QStringList{copy});
        QCOMPARE(s.global.enteredPassword, QString("pw"));
        QVERIFY(!s.window->GetPassword()); // the password is gone: asks, and "" passes
        QCOMPARE(s.platform.prompts.size(), 2);

        // Refused, nothing goes.
        s.home.write("Documents/Spam/Blacklist.txt", "a@b\r\n");
        s.platform.answers.enqueue(Platform::Answer::No);
        s.trigger("FileClearPassword");
        QCOMPARE(s.home.read("Documents/Spam/Blacklist.txt"), QByteArray("a@b\r\n"));
    }

    void shutdown() {
        Started s;
        s.put("Accounts.txt", accountLines({"home", "work"}, {"1"}));
        s.start();
        for (const char* name : {"email1.eml", "EMAIL2.EML", "eMail3.eml", "keep.eml"})
            s.home.write(QString("Documents/Spam/") + QLatin1String(name), "x");
        s.global.accounts.row(2).Enabled = "1";
        s.global.settings[setting::TrashNext] = "17";

        s.window->messageTable().setCell(1, col::File, "email1.eml");
        s.window->Buttons(true);
        s.button("Command4")->click(); // a clean copy, gone at shutdown
        const QString copies = s.global.cleanCopies.folder();
        s.trigger("FileExit");

        QVERIFY(!copies.isEmpty() && !QDir(copies).exists());
        QCOMPARE(s.window->loadState(), QString("Loading"));
        QStringList left = QDir(s.home.dataFolder()).entryList({"*.eml"}, QDir::Files);
        QCOMPARE(left, QStringList{"keep.eml"});
        QCOMPARE(textfile::readLines(s.home.dataFolder() + "/Accounts.txt").value(27),
                 QString("1"));
        QCOMPARE(textfile::readLines(s.home.dataFolder() + "/config.ini").value(17), QString("17"));
    }

    // What cannot be read or written is reported at start-up; the program then runs on what
    // it has and never writes over a file it could not read.
    void unusableDataFiles_data() {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QStringList>("boxes");
        const QString data = "/Documents/Spam";
        QTest::newRow("unreadable accounts")
            << data + "/Accounts.txt"
            << QStringList{"Mailweir could not read %1. The file is left as it is: Mailweir will "
                           "not save over it this time.",
                           "Could not save Accounts.txt"};
        QTest::newRow("no data folder")
            << data
            << QStringList{"Mailweir could not create its data folder %1. Settings, "
                           "lists and messages cannot be saved."};
    }
    void unusableDataFiles() {
        QFETCH(QString, blocked);
        QFETCH(QStringList, boxes);
        Started s;
        QVERIFY(s.home.putUnreadable(blocked.mid(1)));
        s.start();
        s.trigger("FileExit");
        QStringList shown;
        for (const ScriptedPlatform::Box& box : s.platform.boxes)
            shown << box.text;
        QCOMPARE(shown.value(0), boxes[0].arg(s.home.path() + blocked));
        QCOMPARE(shown.mid(1), boxes.mid(1));
        QCOMPARE(s.global.settings[setting::MaxSizeK], QString("100"));
        QVERIFY(!QFileInfo(s.home.path() + blocked).isFile());
    }

    void closingDuringAWaitEndsTheRun() {
        FakePop3Server server;
        QVERIFY(server.listen());
        server.mailbox.messages = {"Subject: stalls\r\n\r\nbody\r\n"};
        server.unanswered.insert("RETR");
        Started s;
        QStringList accounts = accountLines({"stalling"}, {"1"});
        accounts[11] = "127.0.0.1";
        accounts[18] = QString::number(server.port());
        s.put("Accounts.txt", accounts);
        s.start();
        s.global.settings[setting::TrashNext] = "33";

        bool closedInWait = false;
        QTimer closer;
        connect(&closer, &QTimer::timeout, s.window.get(), [&] {
            if (!server.received.contains("RETR 1"))
                return;
            closer.stop();
            closedInWait = true;
            s.window->close();
        });
        closer.start(10);
        s.button("Command1")->click(); // returns once the window has closed

        QVERIFY(closedInWait);
        QCOMPARE(s.pane(),
                 QString("Connect to stalling\nFound 1 emails\nChecking messages for spam\n"));
        QVERIFY(!s.button("Command1")->isEnabled()); // the run never came back to restore them
        QCOMPARE(s.window->socket().State(), 0);
        QCOMPARE(textfile::readLines(s.home.dataFolder() + "/config.ini").value(17), QString("33"));
        QVERIFY(!server.received.contains("QUIT"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
