#include "classify/message_file.h"

#include "store/text_file.h"

#include <QFile>

MessageFile MessageFile::read(const QString& path) {
    QFile file(path);
    return fromBytes(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
}

MessageFile MessageFile::fromBytes(const QByteArray& bytes) {
    MessageFile message;
    message.bytes_ = bytes;
    message.lines_ = textfile::lineSpans(bytes);
    return message;
}

QByteArrayView MessageFile::lineBytes(qsizetype i) const {
    if (i < 0 || i >= lineCount())
        return {};
    const textfile::LineSpan& span = lines_[static_cast<size_t>(i)];
    return QByteArrayView(bytes_.constData() + span.start, span.size);
}
