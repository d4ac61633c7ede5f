#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace learn {

// The message a downloaded file holds, as the learning engine reads mail: the RETR reply
// without its "+OK" status line and its closing "." line, with the dot-stuffing undone. Bytes
// that are not a RETR reply (a message from a mail folder) come back as they are.
QByteArray messageText(const QByteArray& retrReply);

// The message as one entry of a mailbox file, the form the engine reads many messages in on
// its input: a separator line, the message with each line that could be taken for a separator
// quoted with a ">", and a blank line.
QByteArray mailboxEntry(const QByteArray& text);

// How many ">" quote a line that then starts "From ", the separator an mbox file begins each
// entry with; -1 for every other line.
qsizetype quotesBeforeFrom(QByteArrayView line);

} // namespace learn
