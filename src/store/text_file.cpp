#include "store/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
        bytes += line.toLatin1();
        bytes += "\r\n";
    }
    return writeBytes(path, bytes, ownerOnly);
}

bool writeBytes(const QString& path, const QByteArray& bytes, bool ownerOnly) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return true;
    if (ownerOnly)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return true;
    }
    return !file.commit();
}

bool writeUnsynced(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    const bool failed = !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
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

QString join(const QString& folder, const QString& name) {
    return QDir(folder).filePath(name);
}

QStringList StoredFile::load(const QString& folder) {
    const QString path = join(folder, name_);
    bool opened = false;
    const QStringList lines = readLines(path, &opened);
    held_ = !opened && QFileInfo::exists(path);
    return lines;
}

bool StoredFile::save(const QString& folder, const QStringList& lines, bool ownerOnly) const {
    return held_ || writeLines(join(folder, name_), lines, ownerOnly);
}

} // namespace textfile
