#pragma once

#include <QByteArray>

namespace learn {

// The message a downloaded file holds, as the learning engine reads mail: the RETR reply
// without its "+OK" status line and its closing "." line, with the dot-stuffing undone. Bytes
// that are not a RETR reply (a message from a mail folder) come back as they are.
QByteArray messageText(const QByteArray& retrReply);

} // namespace learn
