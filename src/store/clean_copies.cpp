#include "store/clean_copies.h"

#include "store/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

const QByteArray StatusLine("+OK");
const QString FolderTemplate = QStringLiteral("/mailweir-XXXXXX");

bool isEndLine(const QByteArray& line) {
    return line == "." || line == ".\n" || line == ".\r\n";
}

} // namespace

namespace cleancopy {

QByteArray message(const QByteArray& stored) {
    QByteArray clean;
    clean.reserve(stored.size());
    qsizetype at = 0;
    bool first = true;
    while (at < stored.size()) {
        const qsizetype end = stored.indexOf('\n', at);
        const qsizetype next = end < 0 ? stored.size() : end + 1;
        QByteArray line = stored.sliced(at, next - at);
        at = next;
        if (std::exchange(first, false) && line.startsWith(StatusLine))
            continue;
        if (isEndLine(line))
            break;
        if (line.startsWith('.'))
            line.remove(0, 1);
        clean += line;
    }
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
