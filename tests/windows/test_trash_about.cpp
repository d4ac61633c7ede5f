#include "learn/learning_engine.h"
#include "ui/grid_view.h"
#include "windows/about_window.h"
#include "windows/teach_window.h"
#include "windows/trash_browser.h"
#include "windows/window_rig.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

const QStringList Three = {"E1|0|Subject: one\r\n\r\nbody one\r\n",
                           "E2|1|Subject: two\r\n\r\nbody two\r\n",
                           "E3|2|From: c\r\nSubject: three\r\n\r\nbody three\r\n"};
const QString Log = "Scanning: MyDocuments\\Spam\\Trash\n%1Sorting...\n";

// A Trash holding copies given as "name|days old|bytes" ("unreadable" bytes: a copy that opens
// but cannot be read, even by root), and the browser opened on it once its scan has ended.
struct TrashRig : Desktop {
    std::unique_ptr<TrashBrowser> window;
    QString longestPane; // the pane at its longest, progress lines included

    explicit TrashRig(const QStringList& copies) {
        global.setUpDataFolder(home.documents());
        for (const QString& copy : copies) {
            const QString path = global.TrashFolder + "/" + copy.section('|', 0, 0);
            QFile file(path);
            if (copy.section('|', 2) == "unreadable" && QFile::link("/proc/self/mem", path))
                continue;
            file.open(QIODevice::WriteOnly);
            file.write(copy.section('|', 2).toLatin1());
            file.flush();
            file.setFileTime(
                QDateTime(QDate::currentDate().addDays(-copy.section('|', 1, 1).toInt()),
                          QTime(12, 0)),
                QFileDevice::FileModificationTime);
        }
        window = std::make_unique<TrashBrowser>(global, platform);
        QObject::connect(pane(), &QPlainTextEdit::textChanged, [this] {
            if (pane()->toPlainText().size() > longestPane.size())
                longestPane = pane()->toPlainText();
        });
        window->show();
        if (!QTest::qWaitFor(
                [this] { return find<QPushButton>(*window, "Command2")->isEnabled(); }))
            qFatal("the scan never ended");
    }
    QPlainTextEdit* pane() { return find<QPlainTextEdit>(*window, "Text1"); }
    GridModel& grid() { return find<GridView>(*window, "MSFlexGrid1")->grid(); }
    // The occupied rows as "days old|from|subject|file".
    QStringList rows() {
        QStringList shown;
        for (int r = 1; !grid().TextMatrix(r, 3).isEmpty(); ++r) {
            const QDate day = QDate::fromString(grid().TextMatrix(r, 0), "dd-MM-yy").addYears(100);
            shown << QStringList{QString::number(day.daysTo(QDate::currentDate())),
                                 grid().TextMatrix(r, 1), grid().TextMatrix(r, 2),
                                 grid().TextMatrix(r, 3)}
                         .join('|');
        }
        return shown;
    }
};

} // namespace

class TestTrashAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scan_data() {
        QTest::addColumn<QStringList>("copies");
        QTest::addColumn<QStringList>("shown"); // the first rows
        QTest::addColumn<QString>("pane");
        QTest::addColumn<int>("gridRows");
        auto add = [](const char* name, const QStringList& copies, const QStringList& shown,
                      const QString& pane, int gridRows = 100) {
            QTest::newRow(name) << copies << shown << pane << gridRows;
        };
        add("empty", {}, {}, "");
        add("three, newest first", {"a|2|Subject: a\r\n", "b|0|From: b\r\n\r\nbody b", "c|1|"},
            {"0|b||b", "1|||c", "2||a|a"}, "body b\n");
        add("same day in name order", {"b|3|", "a|3|", "d|1|", "c|3|"},
            {"1|||d", "3|||a", "3|||b", "3|||c"}, "");
        add("header fields",
            {"h|0|Subject:  Hi  \r\nFrom: \"Ann\" <a@x>\r\n  From: \"Bob\" <b@x> \r\n"
             "\r\nFrom: body\r\nSubject: body\r\n"},
            {"0|Bob <b@x>|Hi|h"}, "From: body\nSubject: body\n");
        const qint64 memoryAge =
            QFileInfo("/proc/self/mem").lastModified().date().daysTo(QDate::currentDate());
        add("unreadable", {"u|0|unreadable"}, {QString("%1|||u").arg(memoryAge)},
            "This copy cannot be read.\n");
        QStringList many;
        for (int i = 100; i < 196; ++i)
            many << QString("E%1|0|").arg(i);
        add("96 grow the grid", many, {"0|||E100"}, "", 150);
    }
    void scan() {
        QFETCH(QStringList, copies);
        QFETCH(QStringList, shown);
        QFETCH(int, gridRows);
        TrashRig rig(copies);
        QCOMPARE(rig.rows().mid(0, shown.size()), shown);
        QCOMPARE(rig.rows().size(), copies.size());
        QTEST(rig.pane()->toPlainText(), "pane");
        QCOMPARE(rig.grid().Rows(), gridRows);
        QCOMPARE(rig.longestPane, Log.arg(QString("Working...\n").repeated((gridRows - 100) / 50)));
        QCOMPARE(rig.platform.busy, false);
    }

    // Steps: "click r", "vanish name", or a control to click.
    void actions_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("pane");
        QTest::addColumn<QStringList>("opened");
        auto add = [](const char* name, const char* steps, const QStringList& left,
                      const QString& pane, const QStringList& opened = {}) {
            QTest::newRow(name) << QString(steps) << left << pane << opened;
        };
        const QStringList all = {"E1", "E2", "E3"};
        add("click", "click 2", all, "body two\n");
        add("header", "click 2; Check1", all, "Subject: two\n\nbody two\n");
        add("delete moves the rows up", "click 1; Command3", {"E2", "E3"}, "body one\n");
        add("delete the last", "click 3; Command3", {"E1", "E2"}, "body three\n");
        add("delete an empty row", "click 5; Command3", all, "");
        add("vanished, deleted", "vanish E2; click 2; Command3", {"E1", "E3"},
            "This copy is no longer in the Trash folder.\n");
        add("view a clean copy", "click 3; Command1", all, "body three\n", {"@E3"});
        add("explorer", "Command4", all, "body one\n", {""});
    }
    void actions() {
        QFETCH(QString, steps);
        QFETCH(QStringList, left);
        QFETCH(QStringList, opened);
        TrashRig rig(Three);
        for (const QString& step : steps.split("; ")) {
            auto* view = find<GridView>(*rig.window, "MSFlexGrid1");
            const QModelIndex cell = view->model()->index(step.section(' ', 1).toInt() - 1, 1);
            if (step.startsWith("click"))
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                  view->visualRect(cell).center());
            else if (step.startsWith("vanish"))
                QFile::remove(rig.global.TrashFolder + "/" + step.section(' ', 1));
            else
                find<QAbstractButton>(*rig.window, step)->click();
        }
        QCOMPARE(QDir(rig.global.TrashFolder).entryList(QDir::Files), left);
        QCOMPARE(rig.rows().size(), steps.contains("Command3") ? left.size() : 3);
        QTEST(rig.pane()->toPlainText(), "pane");
        for (QString& name : opened) // "@": the clean copy
            name = name.startsWith('@') ? rig.global.cleanCopies.folder() + "/" + name.mid(1)
                                        : QDir::cleanPath(rig.global.TrashFolder + "/" + name);
        QCOMPARE(rig.platform.opened, opened);
        QCOMPARE(rig.platform.boxes.size(), 0);
    }

    void about_data() {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QStringList>("started");
        QTest::addColumn<QString>("box");
        const QString none = "System Information Is Unavailable At This Time";
        QTest::newRow("no report") << QStringList() << QStringList() << none;
        QTest::newRow("the desktop's")
            << QStringList{"gnome-control-center", "xfce4-about"}
            << QStringList{"gnome-control-center", "info-overview"} << "";
        QTest::newRow("failing") << QStringList{"kinfocenter", "failing"}
                                 << QStringList{"kinfocenter"} << none;
    }
    void about() {
        QFETCH(QStringList, installed);
        Desktop rig;
        rig.platform.existingPrograms = installed;
        if (installed.contains("failing"))
            rig.platform.failing = installed;
        AboutWindow window(rig.global, rig.platform);
        QCOMPARE(window.windowTitle(), "About Mailweir");
        QCOMPARE(window.findChild<QLabel*>("lblTitle")->text(), "Mailweir");
        QCOMPARE(window.findChild<QLabel*>("lblVersion")->text(), "Version 1.0.6");
        window.show();
        QTest::mouseClick(window.findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
        QTEST(rig.platform.started.value(0), "started");
        QTEST(rig.platform.boxes.value(0).text, "box");
        auto* support = window.findChild<QLabel*>("Label9");
        QTest::mouseClick(support, Qt::LeftButton, {}, QPoint(4, support->height() / 2));
        QCOMPARE(rig.platform.opened, QStringList{"mailto:support@mailweir.org"});
    }

    // Spam from an mbox (a quoted "From " line given back), good mail from a Maildir's cur and
    // new; a folder that holds none is refused; without the engine the window says so.
    void teachFromFolders() {
        Desktop desktop;
        desktop.global.setUpDataFolder(desktop.home.documents());
        LearningEngine engine(desktop.global);
        const QString mbox = desktop.home.write(
            "spam.mbox", "From a\nSubject: pills\n\n>From now on cheap\n\nFrom b\nSubject: "
                         "pills\n\nBuy\n");
        desktop.home.write("Good/cur/1", "Subject: lunch\n\nFriday?\n");
        desktop.home.write("Good/new/2", "+OK\r\nSubject: minutes\r\n\r\n..\r\n.\r\n");
        TeachWindow window(desktop.global, desktop.platform, engine);
        find<QLineEdit>(window, "Text1")->setText(mbox);
        find<QLineEdit>(window, "Text2")->setText(desktop.home.path() + "/Trash");
        QTest::mouseClick(find<QPushButton>(window, "Command1"), Qt::LeftButton);
        QCOMPARE(desktop.platform.boxes.value(0).text,
                 "No messages found in " + desktop.home.path() + "/Trash");
        find<QLineEdit>(window, "Text2")->setText(desktop.home.path() + "/Good");
        QTest::mouseClick(find<QPushButton>(window, "Command1"), Qt::LeftButton);
        QCOMPARE(find<QProgressBar>(window, "ProgressBar1")->value(), 4);
        QCOMPARE(find<QLabel>(window, "Label1")->text(), "Taught 4 of 4 messages");
        QStringList taught = QString(desktop.home.read("Documents/Spam/Learning/Taught.txt"))
                                 .split("\r\n", Qt::SkipEmptyParts);
        taught.sort();
        QCOMPARE(taught,
                 (QStringList{
                     "G " + TaughtRecord::digestOf("Subject: lunch\n\nFriday?\n"),
                     "G " + TaughtRecord::digestOf("Subject: minutes\r\n\r\n.\r\n"),
                     "S " + TaughtRecord::digestOf("Subject: pills\n\nBuy\n"),
                     "S " + TaughtRecord::digestOf("Subject: pills\n\nFrom now on cheap\n\n")}));
        QVERIFY(!engine.teacher().busy());
        engine.setProgram("/nonexistent");
        TeachWindow without(desktop.global, desktop.platform, engine);
        QVERIFY(!find<QPushButton>(without, "Command1")->isEnabled());
        QCOMPARE(
            find<QLabel>(without, "Label1")->text(),
            "The learning engine is not installed: install the bogofilter package to teach it.");
    }
};

QTEST_MAIN(TestTrashAbout)
#include "test_trash_about.moc"
