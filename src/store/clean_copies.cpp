#include "store/clean_copies.h"

#include "store/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace {

const QByteArray StatusLine("+OK");
const QString FolderTemplate = QStringLiteral("/mailweir-XXXXXX");

bool isEndLine(QByteArrayView line) {
    return line == "." || line == ".\n" || line == ".\r\n";
}

} // namespace

namespace cleancopy {

QByteArray message(const QByteArray& stored) {
    QByteArray clean(stored.size(), Qt::Uninitialized);
    char* out = clean.data();
    const QByteArrayView all(stored);
    qsizetype at = 0;
    bool first = true;
    while (at < all.size()) {
        const qsizetype end = all.indexOf('\n', at);
        const qsizetype next = end < 0 ? all.size() : end + 1;
        QByteArrayView line = all.sliced(at, next - at);
        at = next;
        if (std::exchange(first, false) && line.startsWith(StatusLine))
            continue;
        if (isEndLine(line))
            break;
        if (line.startsWith('.'))
            line = line.sliced(1);
        out = std::copy(line.begin(), line.end(), out);
    }
    clean.truncate(out - clean.data());
    return clean;
}

Result write(const QString& storedPath, const QString& target, bool ownerOnly) {
    QFile stored(storedPath);
    if (!stored.open(QIODevice::ReadOnly))
        return Result::NotRead;
    const QByteArray bytes = stored.readAll();
    if (stored.error() != QFileDevice::NoError)
        return Result::NotRead;
    return textfile::writeBytes(target, message(bytes), ownerOnly) ? Result::NotWritten
                                                                   : Result::Written;
}

} // namespace cleancopy

cleancopy::Result CleanCopies::make(const QString& storedPath, QString& copyPath) {
    if (!folder_) {
        // QTemporaryDir makes its folder readable by the owner alone.
        folder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + FolderTemplate);
        if (!folder_->isValid()) {
            copyPath = QDir::tempPath();
            folder_.reset();
            return cleancopy::Result::NotWritten;
        }
    }
    copyPath = folder_->filePath(QFileInfo(storedPath).fileName());
    return cleancopy::write(storedPath, copyPath, true);
}
