#include "learn/message_text.h"

#include "store/clean_copies.h"

namespace learn {

namespace {

const QByteArray StatusOk("+OK");
const QByteArray Separator("From mailweir Thu Jan  1 00:00:00 1970\n");
const QByteArray FromLine("From ");

} // namespace

QByteArray messageText(const QByteArray& retrReply) {
    return retrReply.startsWith(StatusOk) ? cleancopy::message(retrReply) : retrReply;
}

qsizetype quotesBeforeFrom(QByteArrayView line) {
    qsizetype quotes = 0;
    while (quotes < line.size() && line[quotes] == '>')
        ++quotes;
    return line.sliced(quotes).startsWith(FromLine) ? quotes : -1;
}

QByteArray mailboxEntry(const QByteArray& text) {
    QByteArray entry = Separator;
    entry.reserve(Separator.size() + text.size() + 2);
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf('\n', start);
        end = end < 0 ? text.size() : end + 1;
        const QByteArrayView line(text.constData() + start, end - start);
        if (quotesBeforeFrom(line) >= 0)
            entry += '>';
        entry += line;
        start = end;
    }
    if (!entry.endsWith('\n'))
        entry += '\n';
    return entry + '\n';
}

} // namespace learn
