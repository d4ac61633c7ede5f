#include "mail/pop3_reply.h"

#include "store/text.h"

#include <QStringList>

namespace pop3 {

namespace {

const QLatin1Char Blank(' ');
const QByteArray MultiLineEnd("\n.\r\n");
const QLatin1String LineEnd("\r\n");
const QLatin1String EndLine(".");

// The lines after the status line, up to the closing ".".
QStringList bodyLines(const QString& reply) {
    QStringList lines = reply.split(LineEnd);
    lines.removeFirst();
    const qsizetype end = lines.indexOf(EndLine);
    return end < 0 ? lines : lines.first(end);
}

} // namespace

qint64 statCount(const QString& reply) {
    const qsizetype first = reply.indexOf(Blank);
    const qsizetype last = reply.lastIndexOf(Blank);
    return text::leadingInteger(text::cut(reply, first + 1, last - first));
}

qint64 statSizeK(const QString& reply) {
    return text::leadingInteger(text::from(reply, reply.lastIndexOf(Blank) + 1)) / 1024;
}

qint64 listSize(const QString& reply) {
    return text::leadingInteger(text::from(reply, reply.lastIndexOf(Blank)));
}

qsizetype multiLineEnd(const QByteArray& tail, const QByteArray& data) {
    const QByteArray kept = tail.right(MultiLineEnd.size() - 1);
    const qsizetype found = (kept + data).indexOf(MultiLineEnd);
    return found < 0 ? -1 : found + MultiLineEnd.size() - kept.size();
}

QByteArray multiLineTail(const QByteArray& tail, const QByteArray& data) {
    return (tail + data).right(MultiLineEnd.size() - 1);
}

QHash<qint64, qint64> listing(const QString& reply) {
    QHash<qint64, qint64> sizes;
    for (const QString& line : bodyLines(reply))
        sizes.insert(text::leadingInteger(line), listSize(line));
    return sizes;
}

QHash<qint64, QByteArray> uniqueIds(const QString& reply) {
    QHash<qint64, QByteArray> ids;
    for (const QString& line : bodyLines(reply))
        ids.insert(text::leadingInteger(line), line.section(Blank, 1, 1).toLatin1());
    return ids;
}

bool offers(const QString& reply, QLatin1String capability) {
    for (const QString& line : bodyLines(reply))
        if (line.section(Blank, 0, 0).compare(capability, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool offersSasl(const QString& reply, QLatin1String mechanism) {
    for (const QString& line : bodyLines(reply)) {
        const QStringList words = line.split(Blank, Qt::SkipEmptyParts);
        if (words.value(0).compare(QLatin1String("SASL"), Qt::CaseInsensitive) == 0 &&
            words.contains(mechanism, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace pop3
