#include "store/global.h"
#include "store/text.h"
#include "store/text_file.h"
#include "support/temp_home.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QByteArray crlfLines(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

QStringList numbered(const QString& stem, int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(stem + QString::number(i));
    return lines;
}

// A data folder in a temporary home, set up and nothing loaded.
struct Desk {
    TempHome home;
    Global global;
    Desk() { global.setUpDataFolder(home.documents()); }
};

} // namespace

class TestStore : public QObject {
    Q_OBJECT
private Q_SLOTS:

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("plain") << "100" << 100.0;
        QTest::newRow("blanks first") << "  \t42" << 42.0;
        QTest::newRow("digits then letters") << "150k" << 150.0;
        QTest::newRow("negative") << "-7x" << -7.0;
        QTest::newRow("fraction") << "2.5 mins" << 2.5;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("status line") << "+OK 5 12345" << 0.0;
        QTest::newRow("huge") << QString(400, QLatin1Char('9')) << 0.0;
    }

    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(text::leadingNumber(text), value);
    }

    void cuts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("cut");
        QTest::newRow("inside") << "abcdef" << 1 << 3 << "bcd";
        QTest::newRow("past end") << "abc" << 2 << 10 << "c";
        QTest::newRow("start beyond") << "abc" << 5 << 1 << "";
        QTest::newRow("negative length") << "abc" << 1 << -4 << "";
        QTest::newRow("negative start") << "abc" << -2 << 3 << "a";
    }

    void cuts() {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, length);
        QFETCH(QString, cut);
        QCOMPARE(text::cut(text, from, length), cut);
    }

    void scrambling_data() {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("word") << "secret"
                              << "tfdsfu";
        QTest::newRow("blank inside") << "a b"
                                      << "b!c";
        QTest::newRow("8-bit") << QString::fromLatin1("\xe9t\xe9")
                               << QString::fromLatin1("\xeau\xea");
    }

    void scrambling() {
        QFETCH(QString, plain);
        QFETCH(QString, stored);
        QCOMPARE(text::scramble(plain), stored);
        QCOMPARE(text::unscramble(stored), plain);
    }

    void splitLines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QByteArray() << QStringList();
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("no final end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("blank lines") << QByteArray("\r\n\r\nx") << QStringList{"", "", "x"};
        QTest::newRow("lone cr kept") << QByteArray("a\rb\n") << QStringList{"a\rb"};
    }

    void splitLines() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(textfile::splitLines(bytes), lines);
    }

    void dataFolderPath_data() {
        QTest::addColumn<QString>("documents");
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << "/home/u/Documents"
                               << "/home/u/Documents/Spam";
        QTest::newRow("trailing separator") << "/home/u/"
                                            << "/home/u/Spam";
        QTest::newRow("root") << "/"
                              << "/Spam";
    }

    void dataFolderPath() {
        QFETCH(QString, documents);
        QFETCH(QString, folder);
        QCOMPARE(Global::dataFolderFor(documents), folder);
    }

    void firstStartWritesDefaults() {
        TempHome home;
        Global global;
        QVERIFY(!global.setUpDataFolder(home.documents()));
        QVERIFY(QFileInfo(home.dataFolder()).isDir());
        QVERIFY(QFileInfo(home.dataFolder() + QLatin1String("/Trash")).isDir());
        global.loadAll();

        QStringList expected(101);
        expected[1] = "1.0";
        expected[10] = "100";
        for (int flag : {11, 12, 13, 14, 15, 16, 19, 25, 27})
            expected[flag] = "1";
        expected[17] = "0";
        expected[18] = "200";
        expected[20] = "msimn.exe";
        expected[21] = "5";
        expected[22] = "0";
        expected[23] = "10";
        expected[24] = "0";
        expected[50] = "image/gif";
        expected[51] = "image/jpeg";
        expected[52] = "image/png";
        QCOMPARE(home.read("Documents/Spam/config.ini"), crlfLines(expected));
        QCOMPARE(global.settings[setting::EmailProgram], QString("msimn.exe"));
    }

    void settingsRoundTripAndLoading() {
        Desk desk;
        auto& [home, global] = desk;
        global.LoadSettings();
        global.settings[setting::ProgramPassword] = "pass word";
        global.settings[setting::CheckEveryMins] = "7";
        QVERIFY(!global.SaveSettings());
        const QByteArray saved = home.read("Documents/Spam/config.ini");
        QVERIFY(saved.startsWith("qbtt!xpse\r\n1.0\r\n"));

        // Surrounding blanks are trimmed on loading, also on the scrambled password line, and a
        // CheckEveryMins below 5 is raised in memory only.
        QByteArray edited = saved;
        edited.replace("qbtt!xpse\r\n", "  qbtt!xpse  \r\n");
        edited.replace("\r\n7\r\n", "\r\n2\r\n");
        edited.replace("\r\n100\r\n", "\r\n  90 \r\n");
        home.write("Documents/Spam/config.ini", edited);
        Global reloaded;
        reloaded.setUpDataFolder(home.documents());
        reloaded.LoadSettings();
        QCOMPARE(reloaded.settings[setting::ProgramPassword], QString("pass word"));
        QCOMPARE(reloaded.settings[setting::CheckEveryMins], QString("5"));
        QCOMPARE(reloaded.settings[setting::MaxSizeK], QString("90"));
        QCOMPARE(home.read("Documents/Spam/config.ini"), edited);
    }

    void settingsFromDamagedFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("maxSize");
        QTest::addColumn<qint64>("trashKeep");
        QTest::newRow("empty") << QByteArray() << ""
                               << "" << qint64(10);
        QTest::newRow("short") << QByteArray("\r\n2.0\r\n") << "2.0"
                               << "" << qint64(10);
        QTest::newRow("garbage") << QByteArray("\xff\x00\x01\n\xfe\xfe", 6)
                                 << QString::fromLatin1("\xfe\xfe") << "" << qint64(10);
        QByteArray overlong;
        for (int i = 0; i < 300; ++i)
            overlong += QByteArray::number(i) + "\r\n";
        QTest::newRow("overlong") << overlong << "1"
                                  << "10" << qint64(18);
        QByteArray negativeKeep = crlfLines(QStringList(101));
        negativeKeep.replace(18 * 2, 2, "-5\r\n");
        QTest::newRow("negative keep") << negativeKeep << ""
                                       << "" << qint64(10);
    }

    void settingsFromDamagedFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, version);
        QFETCH(QString, maxSize);
        QFETCH(qint64, trashKeep);
        Desk desk;
        auto& [home, global] = desk;
        home.write("Documents/Spam/config.ini", bytes);
        global.LoadSettings();
        QCOMPARE(global.settings[setting::SettingsVersion], version);
        QCOMPARE(global.settings[setting::MaxSizeK], maxSize);
        QCOMPARE(global.settings.trashKeep(), trashKeep);
        QCOMPARE(home.read("Documents/Spam/config.ini"), bytes);
    }

    void passwordFilesAreOwnerOnly() {
        Desk desk;
        auto& [home, global] = desk;
        global.LoadSettings();
        global.SaveAccounts();
        for (const char* name : {"config.ini", "Accounts.txt"}) {
            const QFileInfo info(global.dataPath(QString::fromLatin1(name)));
            QCOMPARE(info.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup |
                                           QFile::WriteOther),
                     QFile::Permissions());
            QVERIFY(info.permissions() & QFile::ReadOwner);
        }
    }

    void accounts_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("firstPassword");
        QTest::addColumn<QString>("row0Name");

        QStringList full(260);
        full[0] = "row zero";
        for (int r = 1; r <= 25; ++r) {
            full[10 * r] = QString("  acc%1 ").arg(r);
            full[10 * r + 3] = " uftu ";
        }
        QTest::newRow("full table") << crlfLines(full) << 25 << "acc1"
                                    << "test"
                                    << "row zero";
        QTest::newRow("missing") << QByteArray() << 0 << ""
                                 << ""
                                 << "";
        QStringList shortFile = full.mid(0, 14);
        QTest::newRow("short") << crlfLines(shortFile) << 1 << "acc1"
                               << "test"
                               << "row zero";
        QStringList overlong = full + numbered("x", 40);
        QTest::newRow("overlong") << crlfLines(overlong) << 25 << "acc1"
                                  << "test"
                                  << "row zero";
        QTest::newRow("garbage") << QByteArray("\x01\x02\r\n\xff\n\n\n\n\n\n\n\n\n\xfe") << 1
                                 << QString::fromLatin1("\xfe") << ""
                                 << QString::fromLatin1("\x01\x02");
    }

    void accounts() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(QString, firstName);
        QFETCH(QString, firstPassword);
        QFETCH(QString, row0Name);
        Desk desk;
        auto& [home, global] = desk;
        if (!bytes.isEmpty())
            home.write("Documents/Spam/Accounts.txt", bytes);
        global.LoadAccounts();
        QCOMPARE(global.accounts.count(), count);
        QCOMPARE(global.accounts.row(1).AccountName, firstName);
        QCOMPARE(global.accounts.row(1).AccountPassword, firstPassword);
        QCOMPARE(global.accounts.row(0).AccountName, row0Name);
        QCOMPARE(global.accounts.row(26).AccountName, QString());

        QVERIFY(!global.SaveAccounts());
        const QStringList saved = textfile::readLines(global.dataPath("Accounts.txt"));
        QCOMPARE(saved.size(), 260);
        QCOMPARE(saved[10], firstName);
        QCOMPARE(saved[13], text::scramble(firstPassword));
    }

    void lists_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("loaded");
        QTest::newRow("blacklist at capacity")
            << "Blacklist.txt" << numbered("a@b", 10000) << 10000;
        QTest::newRow("blacklist over") << "Blacklist.txt" << numbered("a@b", 10007) << 10000;
        QTest::newRow("ip list over") << "BlackIP.txt" << numbered("10.0.0.", 10001) << 10000;
        QTest::newRow("whitelist at capacity") << "Whitelist.txt" << numbered("w", 5000) << 5000;
        QTest::newRow("whitelist over") << "Whitelist.txt" << numbered("w", 6000) << 5000;
        QTest::newRow("blank line ends") << "Blacklist.txt" << QStringList{"x", "", "y"} << 1;
        QTest::newRow("blanks kept") << "Whitelist.txt" << QStringList{" spaced ", "\tt"} << 2;
        QString bytes;
        for (int b = 1; b < 256; ++b)
            if (b != '\r' && b != '\n')
                bytes += QChar(b);
        QTest::newRow("every byte") << "Blacklist.txt" << QStringList{bytes, bytes + "x"} << 2;
        QTest::newRow("empty") << "BlackIP.txt" << QStringList() << 0;
    }

    void lists() {
        QFETCH(QString, file);
        QFETCH(QStringList, lines);
        QFETCH(int, loaded);
        Desk desk;
        auto& [home, global] = desk;
        home.write("Documents/Spam/" + file, crlfLines(lines));
        global.loadAll();
        EntryList* list = file == "Blacklist.txt"   ? &global.blacklist
                          : file == "Whitelist.txt" ? &global.whitelist
                                                    : &global.blackIP;
        QCOMPARE(list->entries(), lines.mid(0, loaded));
        QVERIFY(!list->save(global.DataFolder));
        QCOMPARE(home.read("Documents/Spam/" + file), crlfLines(lines.mid(0, loaded)));
    }

    void listAdd() {
        EntryList list("Test.txt", 3);
        list.add("a");
        list.add("");
        list.add("a");
        list.add("b");
        QCOMPARE(list.entries(), (QStringList{"a", "b"}));
        list.add("c");
        list.add("d");
        QCOMPARE(list.entries(), (QStringList{"a", "b", "d"}));
    }

    void rules_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("lastPhrase4");
        const QStringList one{"X", "Anywhere", "casino", "AND", "win", "", "", "", ""};
        QStringList thousand;
        for (int i = 0; i < 1000; ++i)
            thousand += QStringList{"X", "Body", QString("p%1").arg(i), "", "", "", "", "", " q "};
        QTest::newRow("one rule") << one << 1 << "";
        QTest::newRow("over 999") << thousand << 999 << " q ";
        QTest::newRow("ends inside a rule") << one + QStringList{"", "Head", "x"} << 2 << "";
        QTest::newRow("empty where ends")
            << one + QStringList{"X", "", "y", "", "", "", "", "", ""} + one << 1 << "";
        QTest::newRow("empty file") << QStringList() << 0 << "";
    }

    void rules() {
        QFETCH(QStringList, lines);
        QFETCH(int, count);
        QFETCH(QString, lastPhrase4);
        Desk desk;
        auto& [home, global] = desk;
        home.write("Documents/Spam/Rules.txt", crlfLines(lines));
        global.LoadRules();
        QCOMPARE(global.rules.rules().size(), count);
        if (count > 0)
            QCOMPARE(global.rules.rules().last().Phrase4, lastPhrase4);
        QVERIFY(!global.rules.save(global.DataFolder));
        QCOMPARE(textfile::readLines(global.dataPath("Rules.txt")).size(), 9 * count);
    }

    void statistics() {
        Desk desk;
        auto& [home, global] = desk;
        home.write("Documents/Spam/BlackIP.txt", "1.2.3.4\r\n5.6.7.8\r\n");
        home.write("Documents/Spam/Blacklist.txt", "a@b\r\n");
        QStringList accounts(260);
        accounts[10] = "one";
        accounts[11] = "pop.one";
        accounts[20] = "two"; // no server: the report stops counting here
        home.write("Documents/Spam/Accounts.txt", crlfLines(accounts));
        global.loadAll();
        QCOMPARE(global.statistics(), QString("--------------------\r\nStatistics...\r\n"
                                              "--------------------\r\n"
                                              "Loaded 2 blackisted IP addresses\r\n"
                                              "Loaded 1 blackisted email addresses\r\n"
                                              "Loaded 0 rules\r\n"
                                              "Loaded 1 email accounts\r\n"));
    }

    void pruneTrash_data() {
        QTest::addColumn<QString>("keep");
        QTest::addColumn<QList<int>>("kept");
        const QList<int> present{0, 9, 10, 199, 200, 201, 500, 999, 1000};
        QTest::newRow("200") << "200" << QList<int>{0, 9, 10, 199, 1000};
        QTest::newRow("above 999") << "1000" << present;
        QTest::newRow("zero counts as 10") << "0" << QList<int>{0, 9, 1000};
        QTest::newRow("garbage counts as 10") << "abc" << QList<int>{0, 9, 1000};
    }

    void pruneTrash() {
        QFETCH(QString, keep);
        QFETCH(QList<int>, kept);
        Desk desk;
        auto& [home, global] = desk;
        const QList<int> present{0, 9, 10, 199, 200, 201, 500, 999, 1000};
        for (int n : present)
            home.write(QString("Documents/Spam/Trash/Email%1.eml").arg(n), "x");
        global.LoadSettings();
        global.settings[setting::TrashKeep] = keep;
        global.pruneTrash();
        QList<int> left;
        for (int n : present)
            if (QFile::exists(global.TrashFolder + QString("/Email%1.eml").arg(n)))
                left.append(n);
        QCOMPARE(left, kept);
    }

    // Files under the home before and after deleting the message files, then the data files;
    // a documents folder that is a file leaves no data folder to delete from.
    void deletions_data() {
        QTest::addColumn<QString>("documents");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("afterMessages");
        QTest::addColumn<QStringList>("afterAll");
        const QStringList outside{"Documents/email9.eml", "Documents/Spam/Trash/email4.eml"};
        const QStringList others{"Documents/Spam/email1.txt", "Documents/Spam/mail1.eml"};
        const QStringList messages{"Documents/Spam/EMAIL2.EML", "Documents/Spam/Email.eml",
                                   "Documents/Spam/eMail3.Eml", "Documents/Spam/email1.eml"};
        QTest::newRow("data folder")
            << "Documents" << outside + others + messages << outside + others << outside;
        QTest::newRow("no data folder")
            << "blocker" << QStringList{"blocker", "Spam.keep", "blocker.eml"}
            << QStringList{"blocker", "Spam.keep", "blocker.eml"}
            << QStringList{"blocker", "Spam.keep", "blocker.eml"};
    }
    void deletions() {
        QFETCH(QString, documents);
        QFETCH(QStringList, present);
        QFETCH(QStringList, afterMessages);
        QFETCH(QStringList, afterAll);
        TempHome home;
        for (const QString& file : present)
            home.write(file, "x");
        auto left = [&] {
            QStringList files;
            QDirIterator it(home.path(), QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                files << it.next().mid(home.path().size() + 1);
            files.sort();
            return files;
        };
        Global global;
        QCOMPARE(global.setUpDataFolder(home.path() + "/" + documents), documents == "blocker");
        global.deleteMessageFiles();
        afterMessages.sort();
        QCOMPARE(left(), afterMessages);
        global.deleteDataFiles();
        afterAll.sort();
        QCOMPARE(left(), afterAll);
        // Defaults that cannot be written stay in force.
        global.LoadSettings();
        QCOMPARE(global.settings[setting::MaxSizeK], QString("100"));
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
