#include "auth/account_secrets.h"
#include "auth/qt_keyring.h"
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
        AccountSecrets(keyring_, platform_).keep(global.accounts);
        QVERIFY(!global.SaveAccounts() && !global.SaveSettings());
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
        AccountSecrets(keyring_, platform_).fetch(again.accounts, {});
        QCOMPARE(again.accounts.row(1).AccountPassword, QStringLiteral("s3cret-pw"));
        QVERIFY(platform_.prompts.isEmpty());
    }

    // The folder on a desktop without a keyring: the password is asked for once, then kept in
    // the file as before.
    void withoutTheService() {
        daemon_.terminate();
        QVERIFY(daemon_.waitForFinished());
        Global global = load();
        platform_.typed.enqueue("typed-pw");
        AccountSecrets secrets(keyring_, platform_);
        secrets.fetch(global.accounts, {});
        QCOMPARE(platform_.prompts.size(), 1);
        QCOMPARE(platform_.prompts[0].prompt,
                 "The password of the account \"Home\" is kept in a desktop keyring that is not "
                 "available now.      \r\nPlease type it once more:");
        QVERIFY(platform_.prompts[0].secret);
        QCOMPARE(global.accounts.row(1).AccountPassword, QStringLiteral("typed-pw"));
        secrets.keep(global.accounts);
        QVERIFY(!global.SaveAccounts());
        QCOMPARE(text("Accounts.txt").mid(13, 3), QStringList({"uzqfe.qx", "", "encrypt"}));
        Global again = load();
        AccountSecrets(keyring_, platform_).fetch(again.accounts, {});
        QCOMPARE(platform_.prompts.size(), 1);
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
