#include "store/global.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"
#include "ui/grid_view.h"
#include "windows/about_window.h"
#include "windows/trash_browser.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QStringList Three = {"E1|0|Subject: one\r\n\r\nbody one\r\n",
                           "E2|1|Subject: two\r\n\r\nbody two\r\n",
                           "E3|2|From: c\r\nSubject: three\r\n\r\nbody three\r\n"};

// A data folder whose Trash holds copies given as "name|days old|bytes".
struct TrashRig {
    TempHome home;
    ScriptedPlatform platform;
    Global global;
    QString longestPane; // the pane's text at its longest, progress lines included

    explicit TrashRig(const QStringList& copies) {
        global.setUpDataFolder(home.documents());
        for (const QString& copy : copies) {
            const QString path = global.TrashFolder + "/" + copy.section('|', 0, 0);
            if (copy.section('|', 2) == "unreadable") {
                QFile::link("/proc/self/mem", path);
                continue;
            }
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(copy.section('|', 2).toLatin1());
            file.flush();
            file.setFileTime(QDateTime(day(copy.section('|', 1, 1).toInt()), QTime(12, 0)),
                             QFileDevice::FileModificationTime);
        }
    }
    static QDate day(int daysOld) { return QDate::currentDate().addDays(-daysOld); }

    // Opens the browser and waits for its scan.
    std::unique_ptr<TrashBrowser> open() {
        auto window = std::make_unique<TrashBrowser>(global, platform);
        QObject::connect(pane(*window), &QPlainTextEdit::textChanged, [this, w = window.get()] {
            if (pane(*w)->toPlainText().size() > longestPane.size())
                longestPane = pane(*w)->toPlainText();
        });
        window->show();
        const auto* close = window->findChild<QPushButton*>("Command2");
        if (!QTest::qWaitFor([close] { return close->isEnabled(); }))
            qFatal("the scan never ended");
        return window;
    }
    static QPlainTextEdit* pane(QWidget& w) { return w.findChild<QPlainTextEdit*>("Text1"); }
};

GridModel& grid(QWidget& window) {
    return window.findChild<GridView*>("MSFlexGrid1")->grid();
}

// The occupied rows as "date|from|subject|file", the date as days old.
QStringList rows(QWidget& window) {
    QStringList shown;
    for (int r = 1; !grid(window).TextMatrix(r, 3).isEmpty(); ++r) {
        const QDate day =
            QDate::fromString(grid(window).TextMatrix(r, 0), "dd-MM-yy").addYears(100);
        QStringList cells = {QString::number(day.daysTo(QDate::currentDate()))};
        for (int c = 1; c < 4; ++c)
            cells << grid(window).TextMatrix(r, c);
        shown << cells.join('|');
    }
    return shown;
}

void clickRow(QWidget& window, int row) {
    auto* view = window.findChild<GridView*>("MSFlexGrid1");
    const QModelIndex cell = view->model()->index(row - 1, 1);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(cell).center());
}

} // namespace

class TestTrashAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scan_data() {
        QTest::addColumn<QStringList>("copies");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("pane");
        QTest::newRow("empty") << QStringList() << QStringList() << "";
        QTest::newRow("three, newest first")
            << QStringList{"a|2|Subject: a\r\n", "b|0|From: b\r\n\r\nbody b", "c|1|"}
            << QStringList{"0|b||b", "1|||c", "2||a|a"} << "body b\n";
        QTest::newRow("same day in name order")
            << QStringList{"b|3|", "a|3|", "d|1|", "c|3|"}
            << QStringList{"1|||d", "3|||a", "3|||b", "3|||c"} << "";
        QTest::newRow("header fields")
            << QStringList{"h|0|Subject:  Hi  \r\nFrom: \"Ann\" <a@x>\r\n  From: \"Bob\" <b@x> \r\n"
                           "\r\nFrom: body\r\nSubject: body\r\n"}
            << QStringList{"0|Bob <b@x>|Hi|h"} << "From: body\nSubject: body\n";
        const QDate memory = QFileInfo("/proc/self/mem").lastModified().date();
        QTest::newRow("unreadable")
            << QStringList{"u|0|unreadable"}
            << QStringList{QString("%1|||u").arg(memory.daysTo(QDate::currentDate()))}
            << "This copy cannot be read.\n";
    }
    void scan() {
        QFETCH(QStringList, copies);
        TrashRig rig(copies);
        auto window = rig.open();
        QFETCH(QStringList, shown);
        QCOMPARE(rows(*window), shown);
        QFETCH(QString, pane);
        QCOMPARE(rig.pane(*window)->toPlainText(), pane);
        QCOMPARE(grid(*window).Rows(), 100);
        QCOMPARE(rig.platform.busy, false);
    }

    void growth() {
        QStringList copies;
        for (int i = 100; i < 196; ++i)
            copies << QString("E%1|0|").arg(i);
        TrashRig rig(copies);
        auto window = rig.open();
        QCOMPARE(grid(*window).Rows(), 150);
        QCOMPARE(rig.longestPane, "Scanning: MyDocuments\\Spam\\Trash\nWorking...\nSorting...\n");
    }

    // Steps: "click r", "header", "delete", "view", "explorer", "vanish name".
    void actions_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("pane");
        QTest::addColumn<QStringList>("opened");
        const QStringList all = {"E1", "E2", "E3"};
        QTest::newRow("click") << "click 2" << all << "body two\n" << QStringList();
        QTest::newRow("header") << "click 2; header" << all << "Subject: two\n\nbody two\n"
                                << QStringList();
        QTest::newRow("delete moves the rows up")
            << "click 1; delete" << QStringList{"E2", "E3"} << "body one\n"
            << QStringList();
        QTest::newRow("delete the last")
            << "click 3; delete" << QStringList{"E1", "E2"} << "body three\n"
            << QStringList();
        QTest::newRow("delete an empty row") << "click 5; delete" << all << "" << QStringList();
        QTest::newRow("vanished") << "vanish E2; click 2" << QStringList{"E1", "E3"}
                                  << "This copy is no longer in the Trash folder.\n"
                                  << QStringList();
        QTest::newRow("vanished, deleted")
            << "vanish E2; click 2; delete" << QStringList{"E1", "E3"}
            << "This copy is no longer in the Trash folder.\n"
            << QStringList();
        QTest::newRow("view") << "click 3; view" << all << "body three\n" << QStringList{"E3"};
        QTest::newRow("explorer") << "explorer" << all << "body one\n" << QStringList{""};
    }
    void actions() {
        QFETCH(QString, steps);
        TrashRig rig(Three);
        auto window = rig.open();
        for (const QString& step : steps.split("; ")) {
            const QString verb = step.section(' ', 0, 0), value = step.section(' ', 1);
            if (verb == "click")
                clickRow(*window, value.toInt());
            else if (verb == "vanish")
                QFile::remove(rig.global.TrashFolder + "/" + value);
            else if (verb == "header")
                window->findChild<QCheckBox*>("Check1")->click();
            else
                window
                    ->findChild<QPushButton*>(verb == "delete" ? "Command3"
                                              : verb == "view" ? "Command1"
                                                               : "Command4")
                    ->click();
        }
        QFETCH(QStringList, left);
        QCOMPARE(QDir(rig.global.TrashFolder).entryList(QDir::Files), left);
        QFETCH(QString, pane);
        QCOMPARE(rig.pane(*window)->toPlainText(), pane);
        QFETCH(QStringList, opened);
        QStringList paths;
        for (const QString& name : opened)
            paths << QDir::cleanPath(rig.global.TrashFolder + "/" + name);
        QCOMPARE(rig.platform.opened, paths);
        if (!steps.contains("delete"))
            QCOMPARE(rows(*window).size(), 3);
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
        TrashRig rig({});
        rig.platform.existingPrograms = installed;
        if (installed.contains("failing"))
            rig.platform.failing = installed;
        AboutWindow window(rig.global, rig.platform);
        QCOMPARE(window.windowTitle(), "About Mailweir");
        QCOMPARE(window.findChild<QLabel*>("lblTitle")->text(), "Mailweir");
        QCOMPARE(window.findChild<QLabel*>("lblVersion")->text(), "Version 1.0.6");
        window.show();
        QTest::mouseClick(window.findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
        QFETCH(QStringList, started);
        QCOMPARE(rig.platform.started.value(0), started);
        QFETCH(QString, box);
        QCOMPARE(rig.platform.boxes.value(0).text, box);
        auto* support = window.findChild<QLabel*>("Label9");
        QTest::mouseClick(support, Qt::LeftButton, {}, QPoint(4, support->height() / 2));
        QCOMPARE(rig.platform.opened, QStringList{"mailto:support@mailweir.org"});
    }
};

QTEST_MAIN(TestTrashAbout)
#include "test_trash_about.moc"
