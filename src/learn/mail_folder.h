#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace learn {

// The messages of a mail folder, as the engine reads them: a Maildir (the files of its "cur"
// and "new" folders), a folder of message files (such as the Trash folder), or an mbox file.
// None when the path is none of these or holds no message.
QList<QByteArray> readMailFolder(const QString& path);

// The messages of an mbox file's bytes: a line "From " after an empty line (or at the start)
// begins the next message; a line quoted with ">" so as not to be taken for one loses a ">".
QList<QByteArray> mailboxMessages(const QByteArray& mailbox);

} // namespace learn
