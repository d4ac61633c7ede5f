#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// The numbers the runs read from POP3 status lines, by the leading-number rule through clamped
// cuts, so any reply a server sends parses without indexing outside it. 64-bit throughout: a
// mailbox may hold more than 32767 messages or more than 2 GB. Also where a multi-line reply
// ends and what the multi-line replies to LIST and CAPA say.
namespace pop3 {

// STAT: the message count, between the first and the last blank ("+OK 5 12345" gives 5).
qint64 statCount(const QString& reply);
// STAT: the total size in whole k, from after the last blank ("+OK 5 12345" gives 12).
qint64 statSizeK(const QString& reply);
// LIST n: the size in bytes, from the last blank on ("+OK 3 2048" gives 2048).
qint64 listSize(const QString& reply);

// The end of a multi-line reply is the end of a line followed by a line holding a single ".".
// `tail` holds the last bytes of the reply before `data` (at most 3 are looked at); the result
// is the position in `data` just after the final ".\r\n", or -1 when the end is still to come.
qsizetype multiLineEnd(const QByteArray& tail, const QByteArray& data);
// The bytes of a reply to keep as the tail for the next multiLineEnd.
QByteArray multiLineTail(const QByteArray& tail, const QByteArray& data);

// LIST without a number: message number to size in bytes, each line read as "n size".
QHash<qint64, qint64> listing(const QString& reply);
// UIDL without a number: message number to unique id, each line read as "n id" (RFC 1939).
QHash<qint64, QByteArray> uniqueIds(const QString& reply);
// CAPA: whether one of the capability lines names `capability`, such as "PIPELINING" (RFC 2449).
bool offers(const QString& reply, QLatin1String capability);
// CAPA: whether the SASL line names the mechanism `mechanism`, such as "PLAIN" (RFC 5034).
bool offersSasl(const QString& reply, QLatin1String mechanism);

} // namespace pop3
