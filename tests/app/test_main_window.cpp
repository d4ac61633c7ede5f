#include "main_window_rig.h"
#include "support/fake_pop3_server.h"
#include "ui/grid_view.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QSystemTrayIcon>
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

    // One dialogue at a time: every command given while a run waits on the server leaves the
    // run's pane, rows, files and mailbox exactly as they are without it.
    void oneDialogueAtATime_data() {
        QTest::addColumn<QString>("run");
        QTest::addColumn<QByteArray>("waitingOn");
        QTest::addColumn<QString>("command");
        const QList<std::pair<const char*, QByteArray>> runs = {{"Command1", "RETR 2"},
                                                                {"Command2", "DELE 2"},
                                                                {"ActionsQuickCheck", "STAT"},
                                                                {"ActionsDelLarge", "LIST 2"}};
        for (const auto& [run, waitingOn] : runs)
            for (const char* command :
                 {"Command1",          "Command2",          "Command4",        "Command5",
                  "Command6",          "Command7",          "Command8",        "Command9",
                  "Command11",         "FileGetMail",       "FileDeleteSpam",  "FileTrashBrowser",
                  "FileClearPassword", "EditAccounts",      "EditBlacklist",   "EditRules",
                  "EditPreferences",   "ActionsQuickCheck", "ActionsDelLarge", "ActionsWatch",
                  "HelpHelp",          "HelpAbout",         "minimise"})
                QTest::addRow("%s during %s", command, run) << run << waitingOn << command;
    }
    void oneDialogueAtATime() {
        QFETCH(QString, run);
        QFETCH(QByteArray, waitingOn);
        QFETCH(QString, command);
        QStringList undisturbed;
        for (const QString& meanwhile : {QString(), command}) {
            FakePop3Server server;
            QVERIFY(server.listen());
            // One above the size limits of Get mail and Delete large email, two below.
            server.mailbox.messages = {"Subject: big\r\n\r\n" + QByteArray(150000, 'x') + "\r\n",
                                       "From: a@b\r\nTo: u@x\r\n\r\nbody\r\n",
                                       "Subject: hi\r\n\r\nbody\r\n"};
            Started s;
            QStringList accounts = accountLines({"one"}, {"1"});
            accounts[11] = "127.0.0.1";
            accounts[18] = QString::number(server.port());
            s.put("Accounts.txt", accounts);
            QVERIFY(s.startShown());
            if (run == "Command2") { // Process needs rows: every one marked D
                s.button("Command1")->click();
                s.button("Command8")->click();
            }
            s.platform.typed << "100"; // Delete large email's limit, in k
            ModalCloser closer([](QWidget*) {});
            bool duringRun = false;
            server.beforeAnswer = [&](const QByteArray& received) {
                if (received != waitingOn || meanwhile.isEmpty() || duringRun)
                    return;
                duringRun = s.button("Command3")->isEnabled();
                if (meanwhile == "minimise")
                    s.window->showMinimized();
                else if (auto* button = s.window->findChild<QPushButton*>(meanwhile))
                    button->click();
                else
                    s.trigger(meanwhile);
            };
            s.window->findChild<QPushButton*>(run) ? s.button(run)->click() : s.trigger(run);
            QCOMPARE(duringRun, !meanwhile.isEmpty());
            QStringList outcome{s.pane()};
            for (int r = 1; s.window->messageTable().isOccupied(r); ++r)
                for (int c = 0; c < col::Count; ++c)
                    outcome << s.window->messageTable().cell(r, c);
            for (const QString& folder : {s.home.dataFolder(), s.home.dataFolder() + "/Trash"})
                for (const auto& [name, bytes] : filesIn(folder).asKeyValueRange())
                    if (name != "Accounts.txt") // it holds the server's port
                        outcome << name + ": " + QString::fromLatin1(bytes);
            outcome << QString::fromLatin1(server.mailbox.messages.join("|"));
            if (meanwhile.isEmpty())
                undisturbed = outcome;
            else
                QCOMPARE(outcome, undisturbed);
        }
    }

    // One program per data folder: a second start over the same folder is told so and changes
    // nothing; the lock of a program that died is taken over.
    void oneProgramPerDataFolder() {
        Started first;
        first.start();
        const QMap<QString, QByteArray> files = filesIn(first.home.dataFolder());
        Desktop second;
        second.platform.documents = first.home.documents();
        QVERIFY(MainWindow(second.global, second.platform, second.keyring).Form_Load());
        QCOMPARE(second.platform.boxes.value(0).text,
                 "Mailweir is already running. Only one Mailweir at a time can use the data "
                 "folder " +
                     first.home.dataFolder() + ".");
        QCOMPARE(filesIn(first.home.dataFolder()), files);
        QProcess died;
        died.start("true");
        QVERIFY(died.waitForStarted());
        const qint64 pid = died.processId();
        QVERIFY(died.waitForFinished());
        Started third;
        third.put(".mailweir.lock", {QString::number(pid), QCoreApplication::applicationName(),
                                     QSysInfo::machineHostName()});
        third.start();
        QCOMPARE(third.platform.boxes.size(), 0);
    }

    // The message grid from the keyboard: the current row follows Down and PageDown in view,
    // Space cycles the action and repaints the row, Enter shows the message, Tab goes on.
    void keyboard() {
        Started s;
        QVERIFY(s.startShown());
        MessageTable& table = s.window->messageTable();
        table.grid().setRows(100);
        for (int r = 1; r < 99; ++r)
            table.setCell(r, col::File, QString("email%1.eml").arg(r));
        auto* grid = s.find<GridView>("MSFlexGrid1");
        grid->setFocus();
        table.grid().setCurrentCell(1, col::From);
        for (int i = 0; i < 30; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(table.grid().Row(), 31);
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));
        QTest::keyClick(grid, Qt::Key_PageDown);
        const int r = table.grid().Row();
        QVERIFY(r > 31 &&
                grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));
        for (const auto& [action, rgb] :
             {std::pair{"D", 0xFFC0C0u}, {"B", 0xC0C0C0u}, {"W", 0xFFFFFFu}, {"", 0xFFFFFFu}}) {
            QTest::keyClick(grid, Qt::Key_Space);
            QCOMPARE(table.cell(r, col::Action), QString(action));
            for (int c = 0; c < col::Count; ++c)
                QCOMPARE(grid->model()->index(r - 1, c).data(Qt::BackgroundRole), QColor(rgb));
        }
        s.home.write(QString("Documents/Spam/email%1.eml").arg(r),
                     "Subject: keys\r\n\r\nread from the keyboard\r\n");
        QTest::keyClick(grid, Qt::Key_Return);
        QVERIFY(s.pane().contains("read from the keyboard"));
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(s.window->focusWidget(), s.accounts());
    }

    // Automatic mode, however started and on any platform: its first check reaches the server,
    // a refused connection is logged, not boxed, and the counts go to the tray and to a
    // notification where the notifier cannot place itself. A state change alone (as one follows the
    // minimise request on Wayland) does not end it; the window active again does.
    void automaticMode_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("placing");
        QTest::newRow("minimised, notifier") << "" << true;
        QTest::newRow("menu, notifier") << "ActionsWatch" << true;
        QTest::newRow("tray, notification") << "TrayWatch" << false;
    }
    void automaticMode() {
        QFETCH(QString, start);
        QFETCH(bool, placing);
        FakePop3Server server;
        QVERIFY(server.listen());
        server.mailbox.messages = {"Subject: waiting\r\n\r\nbody\r\n"};
        Started s;
        QStringList accounts = accountLines({"home", "gone"}, {"1", "1"});
        accounts[11] = accounts[21] = "127.0.0.1";
        accounts[18] = QString::number(server.port());
        accounts[28] = QString::number(FakePop3Server::refusingPort());
        s.put("Accounts.txt", accounts);
        s.platform.placing = placing;
        QVERIFY(s.startShown());
        QCOMPARE(s.find<QAction>("ActionsWatch")->toolTip(),
                 QString("Check the accounts every few minutes while minimised"));
        if (start.isEmpty())
            s.window->setWindowState(Qt::WindowMinimized);
        else
            s.trigger(start);
        QTRY_VERIFY(s.find<QAction>("TrayWatch")->isChecked());
        auto* timer2 = s.find<QTimer>("Timer2");
        QCOMPARE(timer2->interval(), 60000);
        timer2->setInterval(1); // five minutes in five milliseconds
        const QString summary = "home: 1 (k)\ngone: not reached";
        QTRY_COMPARE(s.window->findChild<QSystemTrayIcon*>()->toolTip(), "Mailweir\n" + summary);
        QCOMPARE(s.platform.notified, placing ? QStringList() : QStringList{summary});
        QVERIFY(server.received.contains("STAT"));
        QVERIFY(s.pane().contains("Connect to gone\nWinsock error! \"Error "));
        QCOMPARE(s.platform.boxes.size(), 0);
        QWidget elsewhere; // where the user works meanwhile
        QApplication::setActiveWindow(&elsewhere);
        s.window->setWindowState(Qt::WindowNoState);
        QCoreApplication::processEvents();
        QVERIFY(timer2->isActive());
        QApplication::setActiveWindow(s.window.get());
        QVERIFY(!timer2->isActive());
        QVERIFY(!s.find<QAction>("TrayWatch")->isChecked());
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
