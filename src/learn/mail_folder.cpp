#include "learn/mail_folder.h"

#include "learn/message_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace learn {

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file of the folder, in name order; hidden ones (a Maildir's own) left out.
void readFiles(const QDir& folder, QList<QByteArray>& messages) {
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
        if (QByteArray text = messageText(readFile(folder.filePath(name))); !text.isEmpty())
            messages.append(text);
}

} // namespace

QList<QByteArray> mailboxMessages(const QByteArray& mailbox) {
    QList<QByteArray> messages;
    QByteArray current;
    bool afterBlank = true;
    bool inMessage = false;
    for (qsizetype start = 0; start < mailbox.size();) {
        qsizetype end = mailbox.indexOf('\n', start);
        end = end < 0 ? mailbox.size() : end + 1;
        QByteArrayView line(mailbox.constData() + start, end - start);
        start = end;
        const qsizetype quotes = quotesBeforeFrom(line);
        if (afterBlank && quotes == 0) {
            if (inMessage)
                messages.append(current);
            current.clear();
            inMessage = true;
            continue;
        }
        afterBlank = line.trimmed().isEmpty();
        if (quotes > 0)
            line = line.sliced(1);
        current += line;
    }
    if (inMessage)
        messages.append(current);
    return messages;
}

QList<QByteArray> readMailFolder(const QString& path) {
    const QFileInfo info(path);
    if (info.isFile())
        return mailboxMessages(readFile(path));
    QList<QByteArray> messages;
    if (!info.isDir())
        return messages;
    const QDir folder(path);
    if (folder.exists(QStringLiteral("cur")) && folder.exists(QStringLiteral("new"))) {
        readFiles(QDir(folder.filePath(QStringLiteral("cur"))), messages);
        readFiles(QDir(folder.filePath(QStringLiteral("new"))), messages);
    } else {
        readFiles(folder, messages);
    }
    return messages;
}

} // namespace learn
