#include "mail/email_program.h"
#include "review/grid_model.h"
#include "review/text_pane.h"
#include "store/settings.h"
#include "support/temp_home.h"
#include "ui/desktop_mail_program.h"
#include "ui/grid_view.h"
#include "ui/pane_view.h"
#include "ui/qt_platform.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

// A grid of 4 columns and 60 rows on screen at 15 twips a pixel, columns 1500 twips wide.
struct Screen {
    GridModel grid{4, 60};
    GridView view{grid, Twips(15)};
    QSignalSpy clicks{&grid, &GridModel::Click};

    Screen() {
        for (int c = 0; c < 4; ++c)
            grid.setColWidth(c, 1500);
        view.resize(420, 300);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            qFatal("the grid view was not shown");
    }
    // The centre of grid cell (row, col) in the view's viewport.
    QPoint centre(int row, int col) const {
        return view.visualRect(view.model()->index(row - 1, col)).center();
    }
    QPair<int, int> current() const { return {grid.Row(), grid.Col()}; }
};

// An association file's list for mailto: under `group`, and a desktop entry, as "path|content".
QString list(const char* path, const char* group, const char* ids) {
    return QString("%1|[%2]\nx-scheme-handler/mailto=%3").arg(path, group, ids);
}
QString entry(const char* id, const QString& keys) {
    return QString("DATA_HOME/applications/%1.desktop|[Desktop Entry]\nName=Mail\nIcon=m\n%2")
        .arg(id, keys);
}

// XDG config and data folders of a temporary home, holding the files given.
struct Xdg : TempHome {
    explicit Xdg(const QStringList& files, const QByteArray& desktop = "") {
        for (const char* name : {"CONFIG_HOME", "CONFIG_DIRS", "DATA_HOME", "DATA_DIRS"})
            qputenv(QByteArray("XDG_") + name, (path() + "/" + name).toUtf8());
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        for (const QString& file : files)
            put(file);
    }
    void put(const QString& file) const {
        write(file.section('|', 0, 0), file.section('|', 1).toUtf8());
    }
};

} // namespace

class TestViews : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A click moves the model's current cell and raises Click once; so does a double click.
    // The arrow keys move the current cell without a Click.
    void userMoves() {
        Screen s;
        QTest::mouseClick(s.view.viewport(), Qt::LeftButton, {}, s.centre(3, 2));
        QCOMPARE(s.current(), qMakePair(3, 2));
        QCOMPARE(s.clicks.size(), 1);
        // A double click as the desktop delivers it: press, release, press, double click,
        // release. Only its first half is a click, so an Action cell steps once.
        const QPointF at = s.centre(4, 1);
        for (const auto& [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                            {QEvent::MouseButtonRelease, Qt::NoButton},
                                            {QEvent::MouseButtonPress, Qt::LeftButton},
                                            {QEvent::MouseButtonDblClick, Qt::LeftButton},
                                            {QEvent::MouseButtonRelease, Qt::NoButton}}) {
            QMouseEvent event(type, at, s.view.viewport()->mapToGlobal(at), Qt::LeftButton, buttons,
                              {});
            QApplication::sendEvent(s.view.viewport(), &event);
        }
        QCOMPARE(s.current(), qMakePair(4, 1));
        QCOMPARE(s.clicks.size(), 2);
        s.view.setFocus();
        QTest::keyClick(&s.view, Qt::Key_Down);
        QTest::keyClick(&s.view, Qt::Key_Right);
        QCOMPARE(s.current(), qMakePair(5, 2));
        QCOMPARE(s.clicks.size(), 2);
    }

    // What the program sets shows: 0x00BBGGRR cell colours as background brushes with text that
    // reads on them at a contrast of 4.5 or more under a dark theme too (whose text is light),
    // the current cell, the selection from it to the selection end, the top row and the widths.
    void programmeSettings() {
        QApplication::setPalette(QPalette(QColor(0x30, 0x30, 0x30)));
        Screen s;
        s.grid.setCellBackColor(2, 1, 0xC0C0FF);
        s.grid.setCellBackColor(2, 2, 0x800000);
        s.grid.setCellBackColor(2, 0, 0xC0C0C0);
        for (const auto& [c, shown, ink] : {std::tuple{0, QColor(0xC0C0C0), QColor(Qt::black)},
                                            {1, QColor(0xFF, 0xC0, 0xC0), QColor(Qt::black)},
                                            {2, QColor(0, 0, 0x80), QColor(Qt::white)},
                                            {3, QColor(Qt::white), QColor(Qt::black)}}) {
            const QModelIndex cell = s.view.model()->index(1, c);
            QCOMPARE(cell.data(Qt::BackgroundRole).value<QColor>(), shown);
            QCOMPARE(cell.data(Qt::ForegroundRole).value<QColor>(), ink);
            QVERIFY(GridView::contrastRatio(ink, shown) >= 4.5);
        }
        s.grid.setCurrentCell(2, 3);
        s.grid.setColSel(1);
        QCOMPARE(s.view.currentIndex(), s.view.model()->index(1, 3));
        QModelIndexList selected = s.view.selectionModel()->selectedIndexes();
        std::sort(selected.begin(), selected.end());
        QCOMPARE(selected,
                 QModelIndexList({s.view.model()->index(1, 1), s.view.model()->index(1, 2),
                                  s.view.model()->index(1, 3)}));
        s.grid.setTopRow(20);
        QCOMPARE(s.view.rowAt(0), 19);
        s.grid.setColWidth(2, 2400);
        QCOMPARE(s.view.columnWidth(2), 160);
        QCOMPARE(s.view.columnWidth(1), 100);
        QCOMPARE(s.clicks.size(), 0);
    }

    // Added lines go at the end: a view at its end follows them, one scrolled back stays.
    void paneAppends() {
        TextPane pane;
        QPlainTextEdit view;
        view.resize(300, 100);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        showPane(pane, view);
        pane.setText("first\r\nsecond\r\n");
        QStringList lines{"first", "second"};
        for (int i = 0; i < 50; ++i) {
            lines << QString("line %1").arg(i);
            pane.AddList(lines.last());
        }
        QCOMPARE(view.toPlainText(), lines.join('\n') + '\n');
        QScrollBar* bar = view.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        bar->setValue(3);
        pane.AddList("later");
        QCOMPARE(bar->value(), 3);
        QCOMPARE(view.toPlainText(), lines.join('\n') + "\nlater\n");
        QCOMPARE(pane.text(), lines.join("\r\n") + "\r\nlater\r\n");
    }

    // The desktop's e-mail program: the mailto: handler that its MIME associations name.
    void handler_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QStringList>("command");
        const char* def = "Default Applications";
        QTest::newRow("the desktop's own first, gone and hidden skipped, codes, in a terminal")
            << QStringList{list("CONFIG_DIRS/mimeapps.list", def, "m.desktop"),
                           list("CONFIG_DIRS/xfce-mimeapps.list", def,
                                "g.desktop;h.desktop;t.desktop"),
                           entry("h", "Hidden=true\nExec=hidden"), entry("m", "Exec=mailer"),
                           entry("t", "Terminal=true\nExec=\"/a b/m\\\\\\\\l\" -x %U --to=%u "
                                      "--t=%c %i 9%%")}
            << QByteArray("X-Cinnamon:XFCE")
            << QStringList{
                   "x-terminal-emulator", "-e", "/a b/m\\l", "-x", "--t=Mail", "--icon", "m", "9%"};
        QTest::newRow("the cache, less the removed")
            << QStringList{list("CONFIG_HOME/mimeapps.list", "Removed Associations", "m.desktop"),
                           list("DATA_DIRS/applications/mimeinfo.cache", "MIME Cache",
                                "m.desktop;o.desktop"),
                           entry("m", "Exec=mailer"), entry("o", "Exec=other")}
            << QByteArray() << QStringList{"other"};
    }
    void handler() {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, desktop);
        Xdg xdg(files, desktop);
        QTEST(desktopMailProgram(), "command");
    }

    // "Email prog" with the stored default starts the mailto: handler with no arguments.
    void startsTheHandler() {
        Xdg xdg({list("CONFIG_HOME/mimeapps.list", "Default Applications", "m.desktop")});
        const QString script = xdg.write("mailer", "echo $# \"$@\" > \"$0.args\"\n");
        xdg.put(entry("m", "Exec=sh " + script + " %u"));
        Settings settings;
        settings[setting::EmailProgram] = "msimn.exe";
        QtPlatform platform;
        startEmailProgram(settings, platform);
        QTRY_COMPARE(readFile(script + ".args"), QByteArray("0\n"));
    }
};

QTEST_MAIN(TestViews)
#include "test_views.moc"
