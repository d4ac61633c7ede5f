#include "learn/message_text.h"

namespace learn {

namespace {

const QByteArray StatusOk("+OK");

// The line ending at `end` (its LF, or the end of the bytes) and beginning at `start`, without
// its CR.
QByteArrayView lineAt(const QByteArray& bytes, qsizetype start, qsizetype end) {
    QByteArrayView line(bytes.constData() + start, end - start);
    return line.endsWith('\r') ? line.chopped(1) : line;
}

} // namespace

QByteArray messageText(const QByteArray& retrReply) {
    if (!retrReply.startsWith(StatusOk))
        return retrReply;
    QByteArray text;
    text.reserve(retrReply.size());
    qsizetype start = retrReply.indexOf('\n');
    if (start < 0)
        return text;
    ++start;
    while (start < retrReply.size()) {
        qsizetype end = retrReply.indexOf('\n', start);
        const bool last = end < 0;
        if (last)
            end = retrReply.size();
        if (lineAt(retrReply, start, end) == ".")
            break; // the closing line
        // A line the server began with an added dot loses it.
        const qsizetype from = retrReply.at(start) == '.' ? start + 1 : start;
        text.append(retrReply.constData() + from, (last ? end : end + 1) - from);
        start = end + 1;
    }
    return text;
}

} // namespace learn
