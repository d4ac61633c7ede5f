#include "mail/pop3_reply.h"

#include "store/text.h"

namespace pop3 {

namespace {

const QLatin1Char Blank(' ');

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

} // namespace pop3
