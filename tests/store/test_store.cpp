#include "store/account_options.h"
#include "store/clean_copies.h"
#include "store/text.h"
#include "store/text_file.h"
#include "support/stored_tables.h"
#include "support/temp_home.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QByteArray crlfLines(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

QStringList numbered(const QString& stem, int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(stem + QString::number(i));
    return lines;
}

// The 101 lines of config.ini as the first start writes them.
QStringList defaultLines() {
    QStringList lines =
        QString(",1.0,,,,,,,,,100,1,1,1,1,1,1,0,200,1,msimn.exe,5,0,10,0,1,,1,1").split(',');
    lines.resize(50);
    lines.append({"image/gif", "image/jpeg", "image/png"});
    lines.resize(101);
    return lines;
}

const QList<int> TrashCopies{0, 9, 10, 199, 200, 201, 500, 999, 1000};

// A data folder in a temporary home, set up and nothing loaded.
struct Desk : Global {
    TempHome home;
    Desk() { setUpDataFolder(home.documents()); }
    void put(const QString& name, const QByteArray& bytes) const {
        home.write("Documents/Spam/" + name, bytes);
    }
    QByteArray file(const QString& name) const { return home.read("Documents/Spam/" + name); }
};

} // namespace

class TestStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        auto add = [](const char* name, const QString& text, double value) {
            QTest::newRow(name) << text << value;
        };
        add("empty", "", 0);
        add("blanks first", "  \t42", 42);
        add("digits then letters", "150k", 150);
        add("negative", "-7x", -7);
        add("fraction", "2.5 mins", 2.5);
        add("point first", ".5", 0.5);
        add("point alone", ".", 0);
        add("status line", "+OK 5 12345", 0);
        add("huge", QString(400, QLatin1Char('9')), 0);
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QTEST(text::leadingNumber(text), "value");
    }

    // Past the end, a start beyond it, a negative length, a negative start.
    void cuts() {
        for (const auto& [from, length, cut] :
             {std::tuple{2, 10, "c"}, {5, 1, ""}, {1, -4, ""}, {-2, 3, "a"}})
            QCOMPARE(text::cut("abc", from, length), QString(cut));
    }

    // config.ini as found (null: none yet), then entries 1, 10, 21 and 0 (the password) and
    // the Trash size after loading; loading never rewrites a file it found.
    void loadSettings_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<qint64>("trashKeep");
        QStringList edited = defaultLines();
        edited[0] = "  qbtt!xpse  "; // the blanks go before the codes are lowered
        edited[10] = "  90 ";
        edited[18] = "-5"; // below 1 counts as 10
        edited[21] = "4";  // raised to 5 in memory only
        auto add = [](const char* name, const QByteArray& file, const QStringList& entries,
                      qint64 trashKeep) { QTest::newRow(name) << file << entries << trashKeep; };
        add("first start", QByteArray(), {"1.0", "100", "5", ""}, 200);
        add("edited by hand", crlfLines(edited), {"1.0", "90", "5", "pass word"}, 10);
        add("empty", "", {"", "", "5", ""}, 10);
        add("short", "\r\n2.0\r\n", {"2.0", "", "5", ""}, 10);
        add("garbage", QByteArray("\xff\x00\x01\n\xfe\xfe", 6),
            {QString::fromLatin1("\xfe\xfe"), "", "5", QString::fromLatin1("\xfe\0\0", 3)}, 10);
        add("overlong", crlfLines(numbered("", 300)), {"1", "10", "21", "/"}, 18);
    }
    void loadSettings() {
        QFETCH(QByteArray, file);
        Desk desk;
        if (!file.isNull())
            desk.put("config.ini", file);
        desk.LoadSettings();
        const Settings& s = desk.settings;
        QTEST((QStringList{s[1], s[10], s[21], s[0]}), "entries");
        QTEST(s.trashKeep(), "trashKeep");
        QCOMPARE(desk.file("config.ini"), file.isNull() ? crlfLines(defaultLines()) : file);
    }

    // The data folder is "Spam" under the documents folder, the root too. Saving writes the
    // password code by code one higher, into a file that only its owner may read, as
    // Accounts.txt, the folders, a message found open to all at start-up and a Trash copy.
    void saveSettings() {
        Desk desk;
        QCOMPARE(Global::dataFolderFor("/"), QString("/Spam"));
        desk.LoadSettings();
        desk.settings[setting::ProgramPassword] = "pass w\u00e9rd \u043f\U0001F600";
        desk.settings[setting::CheckEveryMins] = "7";
        QVERIFY(!desk.SaveSettings());
        QVERIFY(!desk.SaveAccounts());
        QStringList lines = defaultLines();
        lines[0] = "qbtt!x\u00ease!\u0440\U0001F601";
        lines[21] = "7";
        QCOMPARE(desk.file("config.ini"), crlfLines(lines));
        desk.put("email1.eml", "x");
        for (const QString& path : {desk.DataFolder, desk.TrashFolder, desk.dataPath("email1.eml")})
            QFile::setPermissions(path, QFile::Permissions(0x7777));
        QVERIFY(!desk.setUpDataFolder(desk.home.documents()));
        QVERIFY(!textfile::writeUnsynced(desk.TrashFolder + "/.e.part", "x"));
        for (const char* name :
             {"config.ini", "Accounts.txt", "email1.eml", ".", "Trash", "Trash/.e.part"})
            QCOMPARE(QFileInfo(desk.dataPath(name)).permissions() &
                         (QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther |
                          QFile::WriteGroup | QFile::WriteOther),
                     QFile::Permissions(QFile::ReadOwner));
    }

    // A data file as found (null: none), what loading keeps (an account or a rule as its
    // fields) and what saving writes: list entries and rule fields as they stand, up to the
    // first empty line (an empty Where in a rule) and the table's capacity; account fields
    // trimmed, the password unscrambled, and all 26 records written again.
    // What an account's spare field holds: "0" (every older file) is no option at all; words
    // this version does not know survive a save.
    void accountOptions_data() {
        QTest::addColumn<QString>("spare1");
        QTest::addColumn<QStringList>("read"); // encrypt, keyring, preset, scope
        QTest::addColumn<QString>("written");
        QTest::newRow("older file") << "0" << QStringList{"0", "0", "", ""} << "0";
        QTest::newRow("empty") << "" << QStringList{"0", "0", "", ""} << "0";
        QTest::newRow("unknown word") << "keyring later=1 encrypt" << QStringList{"1", "1", "", ""}
                                      << "encrypt keyring later=1";
        const QString other = "encrypt oauth2=other authorize=https://a/x token=https://a/t "
                              "scope=pop+offline_access";
        QTest::newRow("other provider")
            << other << QStringList{"1", "0", "other", "pop offline_access"} << other;
    }
    void accountOptions() {
        QFETCH(QString, spare1);
        QFETCH(QStringList, read);
        QFETCH(QString, written);
        Account account;
        account.Spare1 = spare1;
        const AccountOptions options = AccountOptions::of(account);
        QCOMPARE((QStringList{QString::number(options.requireEncryption),
                              QString::number(options.secretInKeyring), options.oauthPreset,
                              options.scope}),
                 read);
        options.applyTo(account);
        QCOMPARE(account.Spare1, written);
    }

    void dataFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("kept");
        auto add = [](const char* name, const char* file, const QByteArray& bytes,
                      const QStringList& kept) {
            QTest::newRow(name) << QString(file) << bytes << kept;
        };
        QStringList full(260), trimmed(260);
        full[0] = trimmed[0] = "row zero";
        for (int r = 1; r <= 25; ++r) {
            full[10 * r] = QString("  acc%1 ").arg(r);
            full[10 * r + 3] = " uftu ";
            trimmed[10 * r] = QString("acc%1").arg(r);
            trimmed[10 * r + 3] = "test";
        }
        add("full accounts", "Accounts.txt", crlfLines(full), trimmed);
        add("no accounts", "Accounts.txt", QByteArray(), QStringList(260));
        add("short accounts", "Accounts.txt", crlfLines(full.mid(0, 14)),
            trimmed.mid(0, 14) + QStringList(246));
        add("overlong accounts", "Accounts.txt", crlfLines(full + numbered("x", 40)), trimmed);
        QStringList garbage(260);
        garbage[0] = QString::fromLatin1("\x01\x02");
        garbage[1] = QString::fromLatin1("\xff");
        garbage[10] = QString::fromLatin1("\xfe");
        add("garbage accounts", "Accounts.txt", "\x01\x02\r\n\xff\n\n\n\n\n\n\n\n\n\xfe", garbage);
        const QStringList addresses = numbered("a@b", 10007), ips = numbered("10.0.0.", 10001);
        add("blacklist over", "Blacklist.txt", crlfLines(addresses), addresses.mid(0, 10000));
        add("ip list over", "BlackIP.txt", crlfLines(ips), ips.mid(0, 10000));
        add("whitelist over", "Whitelist.txt", crlfLines(numbered("w", 6000)), numbered("w", 5000));
        add("blank line ends", "Blacklist.txt", "x\r\n\r\ny\r\n", {"x"});
        add("blanks kept", "Whitelist.txt", " spaced \r\n\tt\r\n", {" spaced ", "\tt"});
        add("lf, lone cr, no last line end", "BlackIP.txt", "a\nb\rc", {"a", "b\rc"});
        QString bytes;
        for (int b = 1; b < 256; ++b)
            if (b != '\r' && b != '\n')
                bytes += QChar(b);
        add("every byte", "Blacklist.txt", crlfLines({bytes, bytes + "x"}), {bytes, bytes + "x"});
        add("empty list", "BlackIP.txt", "", {});
        add("any script", "Whitelist.txt", crlfLines({"\u0416\u03a9\u6f22 \U0001F600"}),
            {"\u0416\u03a9\u6f22 \U0001F600"});
        add("windows-1252", "Blacklist.txt", "\x80 \x92 \x96\r\n\x81",
            {"\u20ac \u2019 \u2013", "\u0081"});
        QStringList legacy(260);
        legacy[0] = "\u00e9";
        legacy[3] = "\u20ac\u00e9"; // stored as the bytes 0x81 0xEA
        add("windows-1252 password", "Accounts.txt", "\xe9\r\n\r\n\r\n\x81\xea\r\n", legacy);
        const QStringList one{"X", "Anywhere", "casino", "AND", "win", "", "", "", ""};
        QStringList thousand;
        for (int i = 0; i < 1000; ++i)
            thousand += QStringList{"X", "Body", QString("p%1").arg(i), "", "", "", "", "", " q "};
        const QStringList head{"", "Head", "x"}, emptyWhere{"X", "", "y", "", "", "", "", "", ""};
        add("one rule", "Rules.txt", crlfLines(one), one);
        add("over 999 rules", "Rules.txt", crlfLines(thousand), thousand.mid(0, 9 * 999));
        add("ends inside a rule", "Rules.txt", crlfLines(one + head), one + head + QStringList(6));
        add("empty where ends", "Rules.txt", crlfLines(one + emptyWhere + one), one);
        add("no rules", "Rules.txt", "", {});
    }
    void dataFiles() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, kept);
        Desk desk;
        if (!bytes.isNull())
            desk.put(file, bytes);
        desk.loadAll();
        QStringList loaded, written = kept;
        for (const Rule& rule : desk.rules.rules())
            for (const QString* field : rule.fields())
                loaded << *field;
        for (const EntryList* list : {&desk.blacklist, &desk.whitelist, &desk.blackIP})
            if (list->fileName() == file)
                loaded = list->entries();
        if (file == AccountTable::FileName) {
            loaded.clear();
            for (int r = 0; r <= AccountTable::MaxAccounts; ++r) {
                for (const QString* field : desk.accounts.row(r).fields())
                    loaded << *field;
                written[10 * r + 3] = text::scramble(kept[10 * r + 3]);
            }
        }
        QCOMPARE(loaded, kept);
        QCOMPARE(desk.accounts.row(26).AccountName, QString());
        QVERIFY(!saveAll(desk));
        QCOMPARE(desk.file(file), crlfLines(written));
    }

    // A data file that is there but cannot be read loads empty (the settings as their
    // defaults), is reported, and is never written over; the other files save as usual.
    void unreadableFiles_data() {
        QTest::addColumn<QString>("file");
        for (const char* name : {"config.ini", "Accounts.txt", "Blacklist.txt", "Whitelist.txt",
                                 "BlackIP.txt", "Rules.txt"})
            QTest::newRow(name) << QString(name);
    }
    void unreadableFiles() {
        QFETCH(QString, file);
        Desk desk;
        QVERIFY(desk.home.putUnreadable("Documents/Spam/" + file));
        // Neither reaches a socket in its place.
        desk.put("Blacklist.txt", "a@b\r\n");
        desk.put("Rules.txt", crlfLines({"1", "Body", "cash", "", "", "", "", "", ""}));
        desk.loadAll();
        QCOMPARE(desk.unreadableFiles(), QStringList{desk.dataPath(file)});
        QCOMPARE(desk.settings[setting::MaxSizeK], QString("100"));
        QCOMPARE(desk.blacklist.entries().size(), file == "Blacklist.txt" ? 0 : 1);
        QCOMPARE(desk.rules.rules().size(), file == "Rules.txt" ? 0 : 1);
        const QMap<QString, bool> failed = {{"config.ini", desk.SaveSettings()},
                                            {"Accounts.txt", desk.SaveAccounts()},
                                            {"Blacklist.txt", desk.blacklist.save(desk.DataFolder)},
                                            {"Whitelist.txt", desk.whitelist.save(desk.DataFolder)},
                                            {"BlackIP.txt", desk.blackIP.save(desk.DataFolder)},
                                            {"Rules.txt", desk.rules.save(desk.DataFolder)}};
        for (auto it = failed.begin(); it != failed.end(); ++it) {
            QCOMPARE(it.value(), it.key() == file);
            QCOMPARE(QFileInfo(desk.dataPath(it.key())).isFile(), it.key() != file);
        }
    }

    void listAdd() {
        EntryList list("Test.txt", 3);
        for (const char* value : {"a", "", "a", "b"})
            list.add(value);
        QCOMPARE(list.entries(), (QStringList{"a", "b"}));
        list.add("c");
        list.add("d");
        QCOMPARE(list.entries(), (QStringList{"a", "b", "d"}));
    }

    // The Trash copies left of TrashCopies.
    void pruneTrash_data() {
        QTest::addColumn<QString>("keep");
        QTest::addColumn<QList<int>>("kept");
        QTest::newRow("200") << "200" << QList<int>{0, 9, 10, 199, 1000};
        QTest::newRow("above 999") << "1000" << TrashCopies;
        QTest::newRow("zero counts as 10") << "0" << QList<int>{0, 9, 1000};
    }
    void pruneTrash() {
        QFETCH(QString, keep);
        Desk desk;
        for (int n : TrashCopies)
            desk.put(QString("Trash/Email%1.eml").arg(n), "x");
        desk.put("Trash/.email3.eml.part", "written ahead");
        desk.LoadSettings();
        desk.settings[setting::TrashKeep] = keep;
        desk.pruneTrash();
        QList<int> left;
        for (int n : TrashCopies)
            if (QFile::exists(desk.TrashFolder + QString("/Email%1.eml").arg(n)))
                left.append(n);
        QTEST(left, "kept");
        QVERIFY(!QFile::exists(desk.TrashFolder + "/.email3.eml.part"));
    }

    // The message inside a stored reply, as the e-mail program is handed it in the run's
    // private folder; the stored file stays as it was.
    void cleanCopies_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("clean");
        QTest::newRow("dots, 8-bit, no final CR LF")
            << QByteArray("+OK 80 octets\r\nFrom: Ann <a@x>\r\nSubject: Caf\xe9\r\n\r\n"
                          "..lead\r\n..\r\n...\r\nend\xff")
            << QByteArray("From: Ann <a@x>\r\nSubject: Caf\xe9\r\n\r\n.lead\r\n.\r\n..\r\nend\xff");
        QTest::newRow("closing line, lone LFs")
            << QByteArray("+OK\nSubject: x\n\n..\n.\nafter\n") << QByteArray("Subject: x\n\n.\n");
        QTest::newRow("no status line, closing dot without line end")
            << QByteArray("A: +OK\r\n\r\nc\r\n.") << QByteArray("A: +OK\r\n\r\nc\r\n");
    }
    void cleanCopies() {
        QFETCH(QByteArray, stored);
        TempHome home;
        qputenv("TMPDIR", home.path().toUtf8());
        const QString storedPath = home.write("Documents/Spam/email1.eml", stored);
        CleanCopies copies;
        QString copy;
        QCOMPARE(copies.make(storedPath, copy), cleancopy::Result::Written);
        QVERIFY(copies.folder().startsWith(home.path() + "/mailweir-"));
        QTEST(readFile(copy), "clean");
        QCOMPARE(readFile(storedPath), stored);
        constexpr int Modes = 0x7077; // owner, group, others
        QCOMPARE(int(QFile::permissions(copies.folder())) & Modes, 0x7000);
        QCOMPARE(int(QFile::permissions(copy)) & Modes, 0x6000);
        QCOMPARE(copies.make(home.path() + "/gone.eml", copy), cleancopy::Result::NotRead);
        const QString folder = copies.folder();
        copies.removeAll();
        QVERIFY(!QFileInfo::exists(folder));
    }

    // Files under the home, kept by deleting the message files and by deleting the data files;
    // a documents folder that is a file leaves no data folder to delete from.
    void deletions_data() {
        QTest::addColumn<QString>("documents");
        QTest::addColumn<QStringList>("outside");
        QTest::addColumn<QStringList>("dataFiles");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("data folder")
            << "Documents" << QStringList{"Documents/Spam/Trash/email4.eml", "Documents/email9.eml"}
            << QStringList{"Documents/Spam/email1.txt", "Documents/Spam/mail1.eml"}
            << QStringList{"Documents/Spam/EMAIL2.EML", "Documents/Spam/Email.eml",
                           "Documents/Spam/eMail3.Eml", "Documents/Spam/email1.eml"};
        QTest::newRow("no data folder")
            << "blocker" << QStringList{"Spam.keep", "blocker", "blocker.eml"} << QStringList()
            << QStringList();
    }
    void deletions() {
        QFETCH(QString, documents);
        QFETCH(QStringList, outside);
        QFETCH(QStringList, dataFiles);
        QFETCH(QStringList, messages);
        TempHome home;
        for (const QString& file : outside + dataFiles + messages)
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
        QStringList kept = dataFiles + outside;
        kept.sort();
        QCOMPARE(left(), kept);
        global.deleteDataFiles();
        QCOMPARE(left(), outside);
        // Defaults that cannot be written stay in force.
        global.LoadSettings();
        QCOMPARE(global.settings[setting::MaxSizeK], QString("100"));
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
