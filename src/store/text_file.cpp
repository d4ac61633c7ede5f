#include "store/text_file.h"

#include "store/windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <fcntl.h>
#include <unistd.h>

namespace textfile {

std::vector<LineSpan> lineSpans(const QByteArray& bytes) {
    std::vector<LineSpan> spans;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const bool lastLine = end < 0;
        if (lastLine)
            end = bytes.size();
        qsizetype stop = end;
        if (!lastLine && stop > start && bytes[stop - 1] == '\r')
            --stop;
        spans.push_back({start, stop - start});
        start = end + 1;
    }
    return spans;
}

QStringList splitLines(const QByteArray& bytes) {
    QStringList lines;
    for (const LineSpan& span : lineSpans(bytes))
        lines.append(QString::fromLatin1(bytes.constData() + span.start, span.size));
    return lines;
}

QString decodeData(const QByteArray& bytes, bool* legacy) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    const bool notUtf8 = utf8.hasError();
    if (legacy)
        *legacy = notUtf8;
    return notUtf8 ? windows1252::decode(bytes) : text;
}

QStringList readLines(const QString& path, bool* ok) {
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    return opened ? splitLines(file.readAll()) : QStringList();
}

bool writeLines(const QString& path, const QStringList& lines, bool ownerOnly) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return writeBytes(path, bytes, ownerOnly);
}

bool writeBytes(const QString& path, const QByteArray& bytes, bool ownerOnly) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return true;
    if (ownerOnly)
        file.setPermissions(PrivateFile);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return true;
    }
    return !file.commit();
}

bool writeUnsynced(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    const bool failed = !file.open(QIODevice::WriteOnly | QIODevice::Truncate, PrivateFile) ||
                        file.write(bytes) != bytes.size() || !file.flush();
    file.close();
    if (failed)
        QFile::remove(path);
    return failed;
}

bool syncFileSystem(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool failed = ::syncfs(fd) != 0;
    ::close(fd);
    return failed;
}

bool ensurePrivateFolder(const QString& path) {
    if (!QDir().mkpath(path))
        return false;
    QFile::setPermissions(path, PrivateFolder);
    return true;
}

QString join(const QString& folder, const QString& name) {
    return QDir(folder).filePath(name);
}

QStringList readDataLines(const QString& path, bool* ok, bool* legacy) {
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    if (legacy)
        *legacy = false;
    if (!opened)
        return QStringList();
    // Split as lineSpans splits bytes: a CR goes with the LF after it only.
    QStringList lines = decodeData(file.readAll(), legacy).split(QLatin1Char('\n'));
    const QString last = lines.takeLast();
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!last.isEmpty())
        lines.append(last);
    return lines;
}

QStringList StoredFile::load(const QString& folder) {
    const QString path = join(folder, name_);
    bool opened = false;
    const QStringList lines = readDataLines(path, &opened, &legacy_);
    held_ = !opened && QFileInfo::exists(path);
    return lines;
}

bool StoredFile::save(const QString& folder, const QStringList& lines, bool ownerOnly) const {
    return held_ || writeLines(join(folder, name_), lines, ownerOnly);
}

} // namespace textfile
