#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

TempHome::TempHome() {
    QDir().mkpath(documents());
}

QString TempHome::write(const QString& relativePath, const QByteArray& bytes) const {
    const QString full = QDir(path()).filePath(relativePath);
    QDir().mkpath(QFileInfo(full).path());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return full;
}

bool TempHome::putUnreadable(const QString& relativePath) const {
    const QString path = QDir(this->path()).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    const QByteArray full = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (full.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, full.constData(), full.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool made =
        fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return made;
}

QByteArray TempHome::read(const QString& relativePath) const {
    return readFile(QDir(path()).filePath(relativePath));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray testData(const QString& name) {
    return readFile(QStringLiteral(MAILWEIR_TEST_DATA "/") + name);
}

QMap<QString, QByteArray> filesIn(const QString& folder) {
    const QDir dir(folder);
    QMap<QString, QByteArray> files;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        files[name] = readFile(dir.filePath(name));
    return files;
}
