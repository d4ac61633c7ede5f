#pragma once

#include <QString>

// The numbers the runs read from POP3 status lines, by the leading-number rule through clamped
// cuts, so any reply a server sends parses without indexing outside it. 64-bit throughout: a
// mailbox may hold more than 32767 messages or more than 2 GB.
namespace pop3 {

// STAT: the message count, between the first and the last blank ("+OK 5 12345" gives 5).
qint64 statCount(const QString& reply);
// STAT: the total size in whole k, from after the last blank ("+OK 5 12345" gives 12).
qint64 statSizeK(const QString& reply);
// LIST n: the size in bytes, from the last blank on ("+OK 3 2048" gives 2048).
qint64 listSize(const QString& reply);

} // namespace pop3
