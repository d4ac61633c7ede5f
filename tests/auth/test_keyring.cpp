#include "auth/qt_keyring.h"
#include "auth/secrets.h"
#include "store/account_options.h"
#include "store/global.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDirIterator>
#include <QProcess>
#include <QtTest>

// Passwords in a real Secret Service (gnome-keyring, started here on the test's private bus),
// then the same data folder on a desktop without one.
class TestKeyring : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home_.path());
        environment.insert("XDG_DATA_HOME", home_.path() + "/.local/share");
        environment.insert("XDG_RUNTIME_DIR", home_.path());
        daemon_.setProcessEnvironment(environment);
        // Unlocked with a password of its own, the keyring needs no prompt.
        daemon_.start("gnome-keyring-daemon", {"--foreground", "--components=secrets", "--unlock"});
        QVERIFY2(daemon_.waitForStarted(), "gnome-keyring is not installed");
        daemon_.write("keyring-pw");
        daemon_.closeWriteChannel();
        QVERIFY(QTest::qWaitFor([] {
            return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                "org.freedesktop.secrets");
        }));
    }

    void passwordsLeaveTheFiles() {
        Global global = load();
        Account& account = global.accounts.row(1);
        account.AccountName = "Home";
        account.Spare1 = AccountOptions::forNewAccount();
        account.AccountPassword = "s3cret-pw";
        global.settings[setting::ProgramPassword] = "s3cret-program";
        Secrets secrets(keyring_, platform_);
        secrets.keep(global.accounts);
        secrets.keep(global.settings);
        QVERIFY(!global.SaveAccounts() && !global.SaveSettings());
        QCOMPARE(text("config.ini").mid(0, 3), QStringList({"", "1.0", "keyring"}));
        QCOMPARE(text("Accounts.txt").mid(10, 10),
                 QStringList({"Home", "", "", "", "", "encrypt keyring", "", "", "", ""}));
        // Neither plain nor scrambled in any file of the home, the keyring's own included.
        for (QDirIterator it(home_.path(), QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QVERIFY2(!bytes.contains("s3cret") && !bytes.contains("t4dsfu"),
                     qPrintable(it.filePath()));
        }
        Global again = load();
        Secrets(keyring_, platform_).fetch(again.accounts, {});
        Secrets(keyring_, platform_).fetch(again.settings, {});
        QCOMPARE(again.accounts.row(1).AccountPassword, QStringLiteral("s3cret-pw"));
        QCOMPARE(again.settings[setting::ProgramPassword], QStringLiteral("s3cret-program"));
        QVERIFY(platform_.prompts.isEmpty());
    }

    // The folder on a desktop without a keyring: the password is asked for once, then kept in
    // the file as before.
    void withoutTheService() {
        daemon_.terminate();
        QVERIFY(daemon_.waitForFinished());
        Global global = load();
        platform_.typed.append({"typed-pw", "typed-program"});
        Secrets secrets(keyring_, platform_);
        secrets.fetch(global.accounts, {});
        secrets.fetch(global.settings, {});
        QCOMPARE(platform_.prompts.size(), 2);
        QCOMPARE(global.settings[setting::ProgramPassword], QStringLiteral("typed-program"));
        QCOMPARE(platform_.prompts[0].prompt,
                 "The password of the account \"Home\" is kept in a desktop keyring that is not "
                 "available now.      \r\nPlease type it once more:");
        QVERIFY(platform_.prompts[0].secret);
        QCOMPARE(global.accounts.row(1).AccountPassword, QStringLiteral("typed-pw"));
        secrets.keep(global.accounts);
        secrets.keep(global.settings);
        QVERIFY(!global.SaveAccounts() && !global.SaveSettings());
        QCOMPARE(text("Accounts.txt").mid(13, 3), QStringList({"uzqfe.qx", "", "encrypt"}));
        QCOMPARE(text("config.ini").mid(0, 3), QStringList({"uzqfe.qsphsbn", "1.0", ""}));
        Global again = load();
        Secrets(keyring_, platform_).fetch(again.accounts, {});
        QCOMPARE(platform_.prompts.size(), 2);
        QCOMPARE(again.accounts.row(1).AccountPassword, QStringLiteral("typed-pw"));
    }

private:
    Global load() {
        Global global;
        global.setUpDataFolder(home_.documents());
        global.loadAll();
        return global;
    }
    QStringList text(const QString& name) const {
        return QString::fromLatin1(home_.read("Documents/Spam/" + name)).split("\r\n");
    }

    TempHome home_;
    QProcess daemon_;
    QtKeyring keyring_;
    ScriptedPlatform platform_;
};

QTEST_GUILESS_MAIN(TestKeyring)
#include "test_keyring.moc"
