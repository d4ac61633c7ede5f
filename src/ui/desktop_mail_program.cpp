#include "ui/desktop_mail_program.h"

#include <QFile>
#include <QStandardPaths>

namespace {

const QString MailtoType = QStringLiteral("x-scheme-handler/mailto");
const QString Defaults = QStringLiteral("Default Applications");
const QString Added = QStringLiteral("Added Associations");
const QString Removed = QStringLiteral("Removed Associations");
const QString Cache = QStringLiteral("MIME Cache");
const QString Entry = QStringLiteral("Desktop Entry");
const QString TrueValue = QStringLiteral("true");
// Debian's choice of terminal, for a mail program that runs in one.
const QStringList TerminalCall = {QStringLiteral("x-terminal-emulator"), QStringLiteral("-e")};

// The value of `key` in `group` of a key file (mimeapps.list, mimeinfo.cache, a desktop
// entry); "" when the file, the group or the key is missing.
QString keyValue(const QString& path, const QString& group, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString current;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')))
            current = line.mid(1, line.size() - 2);
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (current == group && equals > 0 && line.left(equals).trimmed() == key)
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

QStringList entries(const QString& path, const QString& group) {
    return keyValue(path, group, MailtoType).split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

QStringList applicationFolders() {
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (QString& folder : folders)
        folder += QStringLiteral("/applications");
    return folders;
}

// The association files, most important first: the desktop's own before the common one in
// each folder, the config folders before the data folders.
QStringList associationFiles() {
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP")
                                     .toLower()
                                     .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    QStringList files;
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation) +
             applicationFolders()) {
        for (const QString& desktop : desktops)
            files << folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        files << folder + QStringLiteral("/mimeapps.list");
    }
    return files;
}

// A key file's string value with its escapes (\s \n \t \r \\) undone.
QString unescaped(const QString& value) {
    static const QString Escaped = QStringLiteral("sntr\\"), Meant = QStringLiteral(" \n\t\r\\");
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const qsizetype kind = value.at(i) == QLatin1Char('\\') && i + 1 < value.size()
                                   ? Escaped.indexOf(value.at(i + 1))
                                   : -1;
        if (kind < 0) {
            text += value.at(i);
        } else {
            text += Meant.at(kind);
            ++i;
        }
    }
    return text;
}

// The Exec line's words: split at blanks, double quotes grouping and a backslash inside them
// keeping the next character.
QStringList words(const QString& exec) {
    QStringList found;
    QString word;
    bool quoted = false, inWord = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (quoted && c == QLatin1Char('\\') && i + 1 < exec.size()) {
            word += exec.at(++i);
        } else if (!quoted && c.isSpace()) {
            if (inWord)
                found << word;
            word.clear();
            inWord = false;
        } else {
            word += c, inWord = true;
        }
    }
    if (inWord)
        found << word;
    return found;
}

// The program starts with nothing to open, so a word carrying a file or an address (%f %F %u
// %U, and the deprecated %d %D %n %N) goes; %i becomes the icon option, %c the name, %k the
// entry's path, %% a percent sign, and the other codes are dropped.
QStringList withoutFieldCodes(const QStringList& exec, const QString& entryPath) {
    const QString name = keyValue(entryPath, Entry, QStringLiteral("Name"));
    const QString icon = keyValue(entryPath, Entry, QStringLiteral("Icon"));
    QStringList command;
    for (const QString& word : exec) {
        if (word == QStringLiteral("%i")) {
            if (!icon.isEmpty())
                command << QStringLiteral("--icon") << icon;
            continue;
        }
        QString expanded;
        bool carriesFile = false;
        for (qsizetype i = 0; i < word.size(); ++i) {
            const QChar c = word.at(i);
            const QChar code =
                c == QLatin1Char('%') && i + 1 < word.size() ? word.at(++i) : QChar();
            if (code.isNull())
                expanded += c;
            else if (code == QLatin1Char('%'))
                expanded += code;
            else if (code == QLatin1Char('c'))
                expanded += name;
            else if (code == QLatin1Char('k'))
                expanded += entryPath;
            else
                carriesFile |= QStringLiteral("fFuUdDnN").contains(code);
        }
        if (!carriesFile && (!expanded.isEmpty() || word.isEmpty()))
            command << expanded;
    }
    return command;
}

// The command of the desktop entry `id`, from the first application folder that has it; empty
// when none has it, it is hidden, or it has no Exec line.
QStringList command(const QString& id) {
    for (const QString& folder : applicationFolders()) {
        const QString path = folder + QLatin1Char('/') + id;
        if (!QFile::exists(path))
            continue;
        if (keyValue(path, Entry, QStringLiteral("Hidden")) == TrueValue)
            return {};
        const QStringList exec = withoutFieldCodes(
            words(unescaped(keyValue(path, Entry, QStringLiteral("Exec")))), path);
        if (exec.isEmpty())
            return {};
        return keyValue(path, Entry, QStringLiteral("Terminal")) == TrueValue ? TerminalCall + exec
                                                                              : exec;
    }
    return {};
}

} // namespace

// The defaults first, in the order of the files; then the added associations and the entries
// that list the type themselves (the cache update-desktop-database keeps), less those removed.
QStringList desktopMailProgram() {
    QStringList defaults, associated, removed;
    for (const QString& file : associationFiles()) {
        defaults << entries(file, Defaults);
        associated << entries(file, Added);
        removed << entries(file, Removed);
    }
    for (const QString& folder : applicationFolders())
        associated << entries(folder + QStringLiteral("/mimeinfo.cache"), Cache);
    for (const QString& id : removed)
        associated.removeAll(id);
    for (const QString& id : defaults + associated) {
        const QStringList found = command(id);
        if (!found.isEmpty())
            return found;
    }
    return {};
}
