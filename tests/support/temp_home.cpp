#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

QByteArray TempHome::read(const QString& relativePath) const {
    QFile file(QDir(path()).filePath(relativePath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray testData(const QString& name) {
    QFile file(QStringLiteral(MAILWEIR_TEST_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
