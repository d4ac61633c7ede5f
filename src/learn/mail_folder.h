#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace learn {

// The messages of a mail folder, as the engine reads them: a Maildir (the files of its "cur"
// and "new" folders), a folder of message files (such as the Trash folder), or an mbox file.
// None when the path is none of these or holds no message.
QList<QByteArray> readMailFolder(const QString& path);

} // namespace learn
