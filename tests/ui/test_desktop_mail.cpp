#include "mail/email_program.h"
#include "store/settings.h"
#include "support/temp_home.h"
#include "ui/desktop_mail_program.h"
#include "ui/qt_platform.h"

#include <QFile>
#include <QTest>

namespace {

const QByteArray Mailto = "x-scheme-handler/mailto=";
const QByteArray Entry = "[Desktop Entry]\nName=Mail\nIcon=m\n";

// XDG config and data folders of a temporary home, holding the files given as "path|content".
struct Xdg : TempHome {
    explicit Xdg(const QStringList& files, const QByteArray& desktop = "") {
        for (const char* name : {"CONFIG_HOME", "CONFIG_DIRS", "DATA_HOME", "DATA_DIRS"})
            qputenv(QByteArray("XDG_") + name, (path() + "/" + name).toUtf8());
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        for (const QString& file : files)
            write(file.section('|', 0, 0), file.section('|', 1).toUtf8());
    }
};

} // namespace

class TestDesktopMail : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void handler_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QStringList>("command");
        const QString app = "DATA_HOME/applications/";
        QTest::newRow("default, missing entries skipped")
            << QStringList{"CONFIG_HOME/mimeapps.list|[Default Applications]\n" + Mailto +
                               "gone.desktop;mail.desktop;",
                           app + "mail.desktop|" + Entry + "Exec=mailer %u"}
            << QByteArray() << QStringList{"mailer"};
        QTest::newRow("quotes and field codes")
            << QStringList{"DATA_DIRS/applications/mimeapps.list|[Added Associations]\n" + Mailto +
                               "mail.desktop",
                           app + "mail.desktop|" + Entry +
                               "Exec=\"/opt/my mail/m\\\\\\\\ail\" -x %U --to=%u --t=%c %i 9%%"}
            << QByteArray()
            << QStringList{"/opt/my mail/m\\ail", "-x", "--t=Mail", "--icon", "m", "9%"};
        QTest::newRow("the desktop's own first, hidden skipped, in a terminal")
            << QStringList{"CONFIG_DIRS/mimeapps.list|[Default Applications]\n" + Mailto +
                               "mail.desktop",
                           "CONFIG_DIRS/xfce-mimeapps.list|[Default Applications]\n" + Mailto +
                               "hidden.desktop;mutt.desktop",
                           app + "hidden.desktop|[Desktop Entry]\nHidden=true\nExec=hidden",
                           app + "mail.desktop|" + Entry + "Exec=mailer",
                           app + "mutt.desktop|[Desktop Entry]\nTerminal=true\nExec=mutt %u"}
            << QByteArray("X-Cinnamon:XFCE") << QStringList{"x-terminal-emulator", "-e", "mutt"};
        QTest::newRow("the cache, less the removed")
            << QStringList{"CONFIG_HOME/mimeapps.list|[Removed Associations]\n" + Mailto +
                               "mail.desktop",
                           "DATA_DIRS/applications/mimeinfo.cache|[MIME Cache]\n" + Mailto +
                               "mail.desktop;other.desktop",
                           app + "mail.desktop|" + Entry + "Exec=mailer",
                           app + "other.desktop|" + Entry + "Exec=other"}
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
        Xdg xdg({"CONFIG_HOME/mimeapps.list|[Default Applications]\n" + Mailto + "mail.desktop"});
        const QString program = xdg.write("mailer", "#!/bin/sh\necho $# \"$@\" > \"$0.args\"\n");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        xdg.write("DATA_HOME/applications/mail.desktop",
                  Entry + "Exec=" + program.toUtf8() + " %u");
        Settings settings;
        settings[setting::EmailProgram] = "msimn.exe";
        QtPlatform platform;
        startEmailProgram(settings, platform);
        QTRY_COMPARE(readFile(program + ".args"), QByteArray("0\n"));
    }
};

QTEST_MAIN(TestDesktopMail)
#include "test_desktop_mail.moc"
