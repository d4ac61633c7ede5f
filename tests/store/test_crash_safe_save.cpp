#include "support/stored_tables.h"
#include "support/temp_home.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QStringList StoredFiles{"config.ini",    "Accounts.txt", "Blacklist.txt",
                              "Whitelist.txt", "BlackIP.txt",  "Rules.txt"};

// Every table filled with text marked by `stem`; the lists are long enough that a save takes
// a while, so kills land inside writes as well as between them.
void fill(Global& global, const QString& stem) {
    for (int e = 0; e < setting::Count; ++e)
        global.settings[e] = stem + QString::number(e);
    for (int r = 1; r <= AccountTable::MaxAccounts; ++r)
        for (QString* field : global.accounts.row(r).fields())
            *field = stem + QString::number(r);
    QStringList entries;
    for (int i = 0; i < 300; ++i)
        entries.append(stem + QString::number(i) + "@example.org");
    for (EntryList* list : {&global.blacklist, &global.whitelist, &global.blackIP})
        list->setEntries(entries);
    QList<Rule> rules(50);
    for (Rule& rule : rules)
        for (QString* field : rule.fields())
            *field = stem;
    global.rules.setRules(rules);
}

} // namespace

// A process killed while it saves leaves every stored file whole: the old or the new content.
class TestCrashSafeSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWhileSaving() {
        TempHome home;
        Global olds, news;
        QVERIFY(!olds.setUpDataFolder(home.documents()) && !news.setUpDataFolder(home.documents()));
        fill(olds, "old");
        fill(news, "new");
        auto stored = [&home](const QString& name) { return home.read("Documents/Spam/" + name); };
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!saveAll(news));
        const qint64 cycleMicros = timer.nsecsElapsed() / 1000;
        const auto newBytes = filesIn(news.DataFolder);
        QVERIFY(!saveAll(olds));
        const auto oldBytes = filesIn(olds.DataFolder);
        QDir folder(olds.DataFolder);
        QRandomGenerator random(14);
        int mixed = 0; // rounds that ended between two files' saves
        for (int round = 0; round < 1000; ++round) {
            const pid_t child = fork();
            QVERIFY(child >= 0);
            while (child == 0) { // the child saves the two versions in turn until it is killed
                saveAll(round % 2 ? olds : news);
                saveAll(round % 2 ? news : olds);
            }
            usleep(random.bounded(int(cycleMicros) + 100));
            kill(child, SIGKILL);
            QCOMPARE(waitpid(child, nullptr, 0), child);
            int newFiles = 0;
            for (const QString& name : StoredFiles) {
                const QByteArray bytes = stored(name);
                QVERIFY2(bytes == oldBytes.value(name) || bytes == newBytes.value(name),
                         qPrintable(QString("%1 torn in round %2").arg(name).arg(round)));
                newFiles += bytes == newBytes.value(name);
            }
            mixed += newFiles % StoredFiles.size() != 0;
            // A temporary file of a save cut short may be left; it is never a stored file.
            for (const QString& stray : folder.entryList(QDir::Files))
                if (!StoredFiles.contains(stray))
                    folder.remove(stray);
        }
        QVERIFY(mixed > 100);
    }
};

QTEST_GUILESS_MAIN(TestCrashSafeSave)
#include "test_crash_safe_save.moc"
