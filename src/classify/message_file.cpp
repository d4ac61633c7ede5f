#include "classify/message_file.h"

#include <QFile>

MessageFile MessageFile::read(const QString& path) {
    QFile file(path);
    return fromBytes(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
}

MessageFile MessageFile::fromBytes(const QByteArray& bytes) {
    MessageFile message;
    message.bytes_ = bytes;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const bool lastLine = end < 0;
        if (lastLine)
            end = bytes.size();
        qsizetype stop = end;
        if (!lastLine && stop > start && bytes[stop - 1] == '\r')
            --stop;
        message.lines_.push_back({start, stop - start});
        start = end + 1;
    }
    return message;
}

QByteArrayView MessageFile::lineBytes(qsizetype i) const {
    if (i < 0 || i >= lineCount())
        return {};
    const Span& span = lines_[static_cast<size_t>(i)];
    return QByteArrayView(bytes_.constData() + span.start, span.size);
}
