#include "learn/message_text.h"

namespace learn {

namespace {

const QByteArray StatusOk("+OK");
const QByteArray Separator("From mailweir Thu Jan  1 00:00:00 1970\n");
const QByteArray FromLine("From ");

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

QByteArray mailboxEntry(const QByteArray& text) {
    QByteArray entry = Separator;
    entry.reserve(Separator.size() + text.size() + 2);
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf('\n', start);
        end = end < 0 ? text.size() : end + 1;
        const QByteArrayView line(text.constData() + start, end - start);
        qsizetype quotes = 0;
        while (quotes < line.size() && line[quotes] == '>')
            ++quotes;
        if (line.sliced(quotes).startsWith(FromLine))
            entry += '>';
        entry += line;
        start = end;
    }
    if (!entry.endsWith('\n'))
        entry += '\n';
    return entry + '\n';
}

} // namespace learn
