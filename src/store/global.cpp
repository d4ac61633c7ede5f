#include "store/global.h"

#include "store/text_file.h"

#include <QDir>
#include <QFile>

namespace {

const QString SpamFolderName = QStringLiteral("Spam");
const QString TrashFolderName = QStringLiteral("Trash");
// Hidden: it is no data of the user's.
const QString LockFileName = QStringLiteral(".mailweir.lock");
constexpr qint64 HighestTrashNumber = 999;

const QString Dashes = QStringLiteral("--------------------");
const QString StatisticsTitle = QStringLiteral("Statistics...");
const QString LoadedPrefix = QStringLiteral("Loaded ");
// The report's spellings are the program's own.
const QString IpSuffix = QStringLiteral(" blackisted IP addresses");
const QString AddressSuffix = QStringLiteral(" blackisted email addresses");
const QString RulesSuffix = QStringLiteral(" rules");
const QString AccountsSuffix = QStringLiteral(" email accounts");
const QString Crlf = QStringLiteral("\r\n");

// Messages left from an earlier run, and the Trash copies, made private like new ones.
void tightenFiles(const QString& folder) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        if (Global::isMessageFileName(name) || name.endsWith(QLatin1String(".part")))
            QFile::setPermissions(dir.filePath(name), textfile::PrivateFile);
}

} // namespace

QString Global::dataFolderFor(const QString& documents) {
    if (documents.endsWith(QLatin1Char('/')))
        return documents + SpamFolderName;
    return documents + QLatin1Char('/') + SpamFolderName;
}

bool Global::setUpDataFolder(const QString& documents) {
    DataFolder = dataFolderFor(documents);
    TrashFolder = DataFolder + QLatin1Char('/') + TrashFolderName;
    dataFolderReady_ =
        textfile::ensurePrivateFolder(DataFolder) && QDir::isAbsolutePath(DataFolder);
    if (textfile::ensurePrivateFolder(TrashFolder))
        tightenFiles(TrashFolder);
    if (dataFolderReady_)
        tightenFiles(DataFolder);
    return !dataFolderReady_;
}

bool Global::lockDataFolder() {
    lock_ = std::make_unique<QLockFile>(dataPath(LockFileName));
    // Never stale by age: only a lock whose program is gone is taken over.
    lock_->setStaleLockTime(0);
    return !lock_->tryLock(0);
}

QString Global::dataPath(const QString& name) const {
    return textfile::join(DataFolder, name);
}

void Global::loadAll() {
    LoadSettings();
    blackIP.load(DataFolder);
    blacklist.load(DataFolder);
    whitelist.load(DataFolder);
    LoadAccounts();
    LoadRules();
}

QStringList Global::unreadableFiles() const {
    QStringList paths;
    for (const textfile::StoredFile* file : {&settings.file(), &blackIP.file(), &blacklist.file(),
                                             &whitelist.file(), &accounts.file(), &rules.file()})
        if (file->held())
            paths.append(dataPath(file->name()));
    return paths;
}

QString Global::statistics() const {
    int accountCount = 0;
    while (accountCount < AccountTable::MaxAccounts &&
           !accounts.row(accountCount + 1).MailServer.isEmpty())
        ++accountCount;
    auto line = [](qsizetype count, const QString& suffix) {
        return LoadedPrefix + QString::number(count) + suffix + Crlf;
    };
    return Dashes + Crlf + StatisticsTitle + Crlf + Dashes + Crlf +
           line(blackIP.entries().size(), IpSuffix) +
           line(blacklist.entries().size(), AddressSuffix) +
           line(rules.rules().size(), RulesSuffix) + line(accountCount, AccountsSuffix);
}

void Global::pruneTrash() const {
    if (!dataFolderReady_)
        return;
    // A TrashKeep below 1 counts as 10 here as everywhere, so a damaged config.ini never
    // empties the whole Trash.
    const qint64 first = settings.trashKeep();
    for (qint64 n = first; n <= HighestTrashNumber; ++n)
        QFile::remove(textfile::join(TrashFolder, QStringLiteral("Email%1.eml").arg(n)));
    // Copies written ahead by a Process that ended before it could place or remove them.
    const QDir trash(TrashFolder);
    for (const QString& name :
         trash.entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden))
        QFile::remove(trash.filePath(name));
}

bool Global::isMessageFileName(const QString& name) {
    return name.startsWith(QLatin1String("Email"), Qt::CaseInsensitive) &&
           name.endsWith(QLatin1String(".eml"), Qt::CaseInsensitive);
}

void Global::deleteMessageFiles() const {
    if (!dataFolderReady_)
        return;
    QDir folder(DataFolder);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        if (isMessageFileName(name))
            QFile::remove(folder.absoluteFilePath(name));
}

void Global::deleteDataFiles() const {
    if (!dataFolderReady_)
        return;
    QDir folder(DataFolder);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name != LockFileName)
            QFile::remove(folder.absoluteFilePath(name));
}
