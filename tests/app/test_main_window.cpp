#include "app/main_window.h"
#include "store/global.h"
#include "store/text_file.h"
#include "support/fake_pop3_server.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

QByteArray crlfLines(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

QByteArray accountsFile(const QStringList& names, const QStringList& enabled) {
    QStringList lines(260);
    for (int i = 0; i < names.size(); ++i) {
        lines[10 * (i + 1)] = names[i];
        lines[10 * (i + 1) + 1] = "pop." + names[i];
        lines[10 * (i + 1) + 7] = enabled[i];
    }
    return crlfLines(lines);
}

// One started main window over a temporary home.
struct Started {
    TempHome home;
    ScriptedPlatform platform;
    Global global;
    std::unique_ptr<MainWindow> window;

    void start() {
        platform.documents = home.documents();
        window = std::make_unique<MainWindow>(global, platform);
        window->Form_Load();
    }
    void setPassword(const QString& password) {
        global.settings[setting::ProgramPassword] = password;
    }
    // A control of the window by its object name.
    template <class Control> Control* find(const QString& name) const {
        auto* control = window->findChild<Control*>(name);
        if (!control)
            qFatal("no control %s", qPrintable(name));
        return control;
    }
    QPushButton* button(const QString& name) const { return find<QPushButton>(name); }
    void trigger(const QString& menuItem) const { find<QAction>(menuItem)->trigger(); }
    QString pane() const { return find<QPlainTextEdit>("Text1")->toPlainText(); }
    QListWidget* accounts() const { return find<QListWidget>("List2"); }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startUp();
    void controlsAtDesign();
    void passwordGuard_data();
    void passwordGuard();
    void guardedButtonsAskOnce();
    void buttons();
    void clearSettings();
    void clearSettingsRefused();
    void clearSettingsAsksForPasswordAgain();
    void shutdown();
    void layoutSnapsToMinimum();
    void layoutPlacesControls();
    void burstOfResizesRunsOnePass();
    void emailProgram_data();
    void emailProgram();
    void closingDuringAWaitEndsTheRun();
    void openInOpensTheCurrentMessageFile();
};

void TestMainWindow::startUp() {
    Started s;
    s.home.write("Documents/Spam/Accounts.txt",
                 accountsFile({"home", "work", "old"}, {"1", "", "1"}));
    s.home.write("Documents/Spam/BlackIP.txt", "1.2.3.4\r\n");
    for (int n : {5, 199, 200, 999})
        s.home.write(QString("Documents/Spam/Trash/Email%1.eml").arg(n), "x");
    s.start();

    QVERIFY(QFile::exists(s.home.dataFolder() + "/config.ini"));
    QCOMPARE(s.window->loadState(), QString());
    QCOMPARE(s.pane(),
             QString("--------------------\nStatistics...\n--------------------\n"
                     "Loaded 1 blackisted IP addresses\nLoaded 0 blackisted email addresses\n"
                     "Loaded 0 rules\nLoaded 3 email accounts\n"));
    QListWidget* list = s.accounts();
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), QString("home"));
    QCOMPARE(list->item(0)->isSelected(), true);
    QCOMPARE(list->item(1)->isSelected(), false);
    QCOMPARE(list->item(2)->isSelected(), true);
    QVERIFY(QFile::exists(s.home.dataFolder() + "/Trash/Email199.eml"));
    QVERIFY(!QFile::exists(s.home.dataFolder() + "/Trash/Email200.eml"));
    QVERIFY(!QFile::exists(s.home.dataFolder() + "/Trash/Email999.eml"));
    QCOMPARE(s.platform.busy, false);
}

void TestMainWindow::controlsAtDesign() {
    Started s;
    s.start();
    struct Expected {
        const char* name;
        QString caption;
        QString tip;
        QRect twips;
        bool enabled;
    };
    const QList<Expected> expected{
        {"Command1", " Get mail", " Get email ", {0, 15, 975, 780}, true},
        {"Command2", "Process", " Process email - apply actions ", {960, 15, 975, 780}, false},
        {"Command3", "Stop", " Stop current task ", {1920, 15, 975, 780}, false},
        {"Command4",
         "Open in OE",
         " Open selected message in Outlook Express ",
         {2880, 15, 975, 780},
         false},
        {"Command6", "Trash", " Browse deleted emails ", {3840, 15, 975, 780}, true},
        {"Command7", "Config", " Configure the program ", {4800, 15, 975, 780}, true},
        {"Command5", "Email prog", " Run your email program ", {5760, 15, 975, 780}, true},
        {"Command8", "Mark all D", " Mark all unmarked email D ", {7680, 15, 975, 270}, true},
        {"Command11", "D >> B", " Change email marked D to B ", {7680, 270, 975, 270}, true},
        {"Command9", "Mark all B", " Mark all unmarked email B ", {7680, 525, 975, 270}, true},
    };
    for (const Expected& e : expected) {
        QPushButton* button = s.button(e.name);
        QCOMPARE(button->text(), e.caption);
        QCOMPARE(button->toolTip(), e.tip);
        QCOMPARE(button->geometry(), QRect(e.twips.x() / 15, e.twips.y() / 15, e.twips.width() / 15,
                                           e.twips.height() / 15));
        QCOMPARE(button->isEnabled(), e.enabled);
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
          "HelpHelp=Read the manual", "HelpSupport=Email support", "HelpGoWebsite=Go to website",
          "HelpAbout=About"})
        QVERIFY2(menuItems.contains(QString::fromLatin1(item)), item);
    // The progress bar starts at 60 twips and crosses the track less 120.
    QCOMPARE(MainLayout::progressBarWidth(3735, 0, 0), 60);
    QCOMPARE(MainLayout::progressBarWidth(3735, 1, 2), 1807);
    QCOMPARE(MainLayout::progressBarWidth(3735, 2, 2), 3615);
}

void TestMainWindow::passwordGuard_data() {
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

void TestMainWindow::passwordGuard() {
    QFETCH(QString, password);
    QFETCH(QStringList, typed);
    QFETCH(QList<bool>, refused);
    QFETCH(int, prompts);
    Started s;
    s.start();
    s.setPassword(password);
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
        QCOMPARE(prompt.position, s.window->frameGeometry().topLeft() * 15 + QPoint(3000, 2000));
        QVERIFY(prompt.secret);
    }
}

void TestMainWindow::guardedButtonsAskOnce() {
    Started s;
    s.start();
    s.setPassword("pw");
    s.platform.typed.append("wrong");
    s.button("Command7")->click();
    QCOMPARE(s.platform.prompts.size(), 1);
    QCOMPARE(s.platform.boxes.size(), 0);

    // The right password passes the button's guard and then the menu's silently.
    s.platform.typed.append("pw");
    s.button("Command6")->click();
    QCOMPARE(s.platform.prompts.size(), 2);
    QCOMPARE(s.platform.boxes.size(), 1);
    QCOMPARE(s.platform.boxes[0].text,
             QString("Trash browser is not available in this version of Mailweir."));

    // Rules and About are not guarded.
    s.setPassword("other");
    s.trigger("EditRules");
    QCOMPARE(s.platform.prompts.size(), 2);
}

void TestMainWindow::buttons() {
    Started s;
    s.start();
    const QStringList greyed = {"Command1", "Command2", "Command4", "Command5", "Command6",
                                "Command7", "Command8", "Command9", "Command11"};
    for (bool enabled : {false, true}) {
        s.window->Buttons(enabled);
        for (const QString& name : greyed)
            QCOMPARE(s.button(name)->isEnabled(), enabled);
        QCOMPARE(s.find<QAction>("FileGetMail")->isEnabled(), enabled);
        QCOMPARE(s.find<QAction>("FileDeleteSpam")->isEnabled(), enabled);
        QCOMPARE(s.button("Command3")->isEnabled(), !enabled);
    }
}

void TestMainWindow::clearSettings() {
    Started s;
    s.home.write("Documents/Spam/Accounts.txt", accountsFile({"home"}, {"1"}));
    s.home.write("Documents/Spam/Blacklist.txt", "a@b\r\n");
    s.home.write("Documents/Spam/Rules.txt", "X\r\nBody\r\nwin\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    s.home.write("Documents/Spam/Trash/Email1.eml", "kept");
    s.start();
    s.window->messageTable().setCell(1, col::File, "email1.eml");
    s.window->messageTable().ColourRow("D", 1, colour::LightRed, "No To:");

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
    QCOMPARE(s.window->messageTable().cell(1, col::File), QString());
    QCOMPARE(s.window->messageTable().grid().CellBackColor(1, 0), colour::White);
}

void TestMainWindow::clearSettingsRefused() {
    Started s;
    s.home.write("Documents/Spam/Blacklist.txt", "a@b\r\n");
    s.start();
    s.platform.answers.enqueue(Platform::Answer::No);
    s.trigger("FileClearPassword");
    QCOMPARE(s.home.read("Documents/Spam/Blacklist.txt"), QByteArray("a@b\r\n"));
    QCOMPARE(s.global.blacklist.entries().size(), 1);
}

void TestMainWindow::clearSettingsAsksForPasswordAgain() {
    Started s;
    s.start();
    s.setPassword("pw");
    s.global.SaveSettings();
    s.platform.typed.append({"pw", ""});
    QVERIFY(!s.window->GetPassword());
    s.trigger("FileClearPassword");
    QCOMPARE(s.global.enteredPassword, QString("pw"));
    QVERIFY(!s.window->GetPassword()); // asks, and the empty entry passes
    QCOMPARE(s.platform.prompts.size(), 2);
}

void TestMainWindow::shutdown() {
    Started s;
    s.home.write("Documents/Spam/Accounts.txt", accountsFile({"home", "work"}, {"1", ""}));
    s.start();
    for (const char* name : {"email1.eml", "EMAIL2.EML", "eMail3.eml", "keep.eml"})
        s.home.write(QString("Documents/Spam/") + QLatin1String(name), "x");
    s.global.accounts.row(2).Enabled = "1";
    s.global.settings[setting::TrashNext] = "17";

    s.trigger("FileExit");

    QCOMPARE(s.window->loadState(), QString("Loading"));
    QStringList left = QDir(s.home.dataFolder()).entryList({"*.eml"}, QDir::Files);
    QCOMPARE(left, QStringList{"keep.eml"});
    const QStringList accounts = textfile::readLines(s.home.dataFolder() + "/Accounts.txt");
    QCOMPARE(accounts.size(), 260);
    QCOMPARE(accounts[27], QString("1"));
    QCOMPARE(textfile::readLines(s.home.dataFolder() + "/config.ini").value(17), QString("17"));
}

void TestMainWindow::layoutSnapsToMinimum() {
    Started s;
    s.start();
    s.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(s.window.get()));
    s.window->resize(300, 200);
    s.window->Timer1_Timer();
    const QSize outer = s.window->windowTwips();
    QVERIFY2(outer.width() >= 9600 && outer.width() < 9600 + 15,
             qPrintable(QString::number(outer.width())));
    QVERIFY2(outer.height() >= 7200 && outer.height() < 7200 + 15,
             qPrintable(QString::number(outer.height())));
}

void TestMainWindow::layoutPlacesControls() {
    Started s;
    s.start();
    s.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(s.window.get()));
    s.window->resize(800, 640);
    s.window->Timer1_Timer();
    // Frame 4 px and caption 22 px at 15 twips a pixel: frame 60, bar 390 twips.
    // Outer 800*15+120 = 12120 wide, 640*15+450 = 10050 high.
    const int textTop = 10050 - 60 - 390 - 60 - 2055 - 300;
    QCOMPARE(s.find<QWidget>("Text1")->geometry(),
             QRect(2820 / 15, textTop / 15, (12120 - 120 - 2820) / 15, 2055 / 15));
    QCOMPARE(s.accounts()->geometry().top(), (textTop + 300) / 15);
    const int gridWidth = 12120 - 120;
    QCOMPARE(s.find<QWidget>("MSFlexGrid1")->geometry(),
             QRect(0, 780 / 15, gridWidth / 15, (textTop - 780 - 60) / 15));
    // usable = 12000 - 240 - 90 = 11670
    QCOMPARE(s.window->messageTable().grid().ColWidth(col::From), 2918);
    QCOMPARE(s.window->messageTable().grid().ColWidth(col::Reason), 4668);
    QCOMPARE(s.window->messageTable().grid().ColWidth(col::Size), 443);
}

void TestMainWindow::burstOfResizesRunsOnePass() {
    Started s;
    s.start();
    s.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(s.window.get()));
    auto* timer = s.find<QTimer>("Timer1");
    QSignalSpy passes(timer, &QTimer::timeout);
    QTest::qWait(300); // let the start-up resize settle
    passes.clear();
    for (int width : {700, 720, 740, 760, 780})
        s.window->resize(width, 600);
    QVERIFY(timer->isActive());
    QTRY_COMPARE(passes.size(), 1);
    QTest::qWait(300);
    QCOMPARE(passes.size(), 1);
}

// Setting, programs present, programs and addresses that fail, the program started, the
// addresses opened and the box shown.
void TestMainWindow::emailProgram_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QStringList>("failing");
    QTest::addColumn<QStringList>("started");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QString>("box");
    const QStringList profile{"thunderbird", "-P", "my profile"};
    const QString noProgram = "No email program could be started. Choose one as \"Email "
                              "program:\" under Edit > Preferences.      ";
    QTest::newRow("present program with arguments")
        << "thunderbird -P \"my profile\"" << QStringList{"thunderbird"} << QStringList() << profile
        << QStringList() << "";
    QTest::newRow("absent program opens the desktop's")
        << "msimn.exe" << QStringList() << QStringList() << QStringList() << QStringList{"mailto:"}
        << "";
    QTest::newRow("a program that fails to start too")
        << "thunderbird -P \"my profile\"" << QStringList{"thunderbird"}
        << QStringList{"thunderbird"} << profile << QStringList{"mailto:"} << "";
    QTest::newRow("no desktop program either")
        << "msimn.exe" << QStringList() << QStringList{"mailto:"} << QStringList()
        << QStringList{"mailto:"} << noProgram;
    QTest::newRow("empty does nothing")
        << "" << QStringList() << QStringList() << QStringList() << QStringList() << "";
}

void TestMainWindow::emailProgram() {
    QFETCH(QString, setting);
    QFETCH(QStringList, existing);
    QFETCH(QStringList, failing);
    QFETCH(QStringList, started);
    QFETCH(QStringList, opened);
    QFETCH(QString, box);
    Started s;
    s.start();
    s.global.settings[setting::EmailProgram] = setting;
    s.platform.existingPrograms = existing;
    s.platform.failing = failing;
    s.button("Command5")->click();
    QCOMPARE(s.platform.started.value(0), started);
    QCOMPARE(s.platform.opened, opened);
    QCOMPARE(s.platform.boxes.value(0).text, box);
}

void TestMainWindow::closingDuringAWaitEndsTheRun() {
    FakePop3Server server;
    QVERIFY(server.listen());
    server.mailbox.messages = {"Subject: stalls\r\n\r\nbody\r\n"};
    server.replies.insert("RETR", FakePop3Server::Reply{}); // never answers
    Started s;
    QStringList accounts(260);
    accounts[10] = "stalling";
    accounts[11] = "127.0.0.1";
    accounts[12] = "user";
    accounts[17] = "1";
    accounts[18] = QString::number(server.port());
    s.home.write("Documents/Spam/Accounts.txt", crlfLines(accounts));
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
    QCOMPARE(textfile::readLines(s.home.dataFolder() + "/Accounts.txt").size(), 260);
    QVERIFY(!server.received.contains("QUIT"));
}

void TestMainWindow::openInOpensTheCurrentMessageFile() {
    Started s;
    s.start();
    MessageTable& table = s.window->messageTable();
    table.setCell(1, col::File, "email1.eml");
    table.setCell(2, col::File, "email2.eml");
    table.grid().setRow(2);
    s.window->Buttons(true);
    s.button("Command4")->click();
    table.grid().setRow(3); // an empty row opens nothing
    s.button("Command4")->click();
    QCOMPARE(s.platform.opened, QStringList{s.home.dataFolder() + "/email2.eml"});
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
