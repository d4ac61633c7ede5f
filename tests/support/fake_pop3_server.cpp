#include "support/fake_pop3_server.h"

#include <QCryptographicHash>
#include <QTcpSocket>

#include <algorithm>
#include <functional>

namespace {

QByteArray line(const QByteArray& text) {
    return text + "\r\n";
}

} // namespace

QByteArray FakeMailbox::answer(const QByteArray& command) {
    const QByteArray word = command.split(' ').value(0);
    if (word == "USER" || word == "PASS" || word == "AUTH")
        return line("+OK");
    if (word == "STAT") {
        qsizetype total = 0;
        for (const QByteArray& message : std::as_const(messages))
            total += message.size();
        return line("+OK " + QByteArray::number(messages.size()) + ' ' + QByteArray::number(total));
    }
    if (word == "STLS")
        return line(capabilities.contains("STLS") ? "+OK begin TLS" : "-ERR unknown command");
    if (word == "CAPA")
        return capabilities.isEmpty() ? line("-ERR unknown command")
                                      : line("+OK") + capabilities.join("\r\n") + "\r\n.\r\n";
    if (command == "LIST" || command == "UIDL") {
        QByteArray listing = line("+OK " + QByteArray::number(messages.size()) + " messages");
        for (qsizetype n = 1; n <= messages.size(); ++n)
            if (!deleted_.contains(n))
                listing += line(QByteArray::number(n) + ' ' + numberAnswer(word, n));
        return listing + line(".");
    }
    if (word == "QUIT") {
        QList<qsizetype> gone = deleted_.values();
        std::sort(gone.begin(), gone.end(), std::greater<>());
        for (qsizetype number : gone)
            messages.removeAt(number - 1);
        deleted_.clear();
        return line("+OK bye");
    }
    return messageAnswer(word, command.mid(word.size() + 1).toLongLong());
}

QByteArray FakeMailbox::messageAnswer(const QByteArray& word, qsizetype n) {
    if (n < 1 || n > messages.size() || deleted_.contains(n))
        return line("-ERR no such message");
    if (word == "LIST" || word == "UIDL")
        return line("+OK " + QByteArray::number(n) + ' ' + numberAnswer(word, n));
    if (word == "RETR")
        return retrReply(messages[n - 1]);
    if (word == "DELE") {
        deleted_.insert(n);
        return line("+OK");
    }
    return line("-ERR unknown command");
}

QByteArray FakeMailbox::numberAnswer(const QByteArray& word, qsizetype n) const {
    const QByteArray& message = messages[n - 1];
    return word == "LIST" ? QByteArray::number(message.size()) : uniqueId(message);
}

QByteArray FakeMailbox::uniqueId(const QByteArray& message) {
    return QCryptographicHash::hash(message, QCryptographicHash::Md5).toHex();
}

QByteArray FakeMailbox::retrReply(const QByteArray& message) {
    QByteArray body;
    for (const QByteArray& text : message.split('\n')) {
        if (text.startsWith('.'))
            body += '.';
        body += text + '\n';
    }
    body.chop(1); // the split left one piece after the final LF
    return "+OK " + QByteArray::number(message.size()) + " octets\r\n" + body + ".\r\n";
}

quint16 FakePop3Server::listen() {
    if (!server_.listen(QHostAddress::LocalHost, 0))
        return 0;
    connect(&server_, &QTcpServer::newConnection, this, &FakePop3Server::accept);
    return server_.serverPort();
}

quint16 FakePop3Server::refusingPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when probe goes
}

void FakePop3Server::accept() {
    while (QTcpSocket* client = server_.nextPendingConnection()) {
        client->setParent(this);
        connect(client, &QTcpSocket::readyRead, this, [this, client] { readCommands(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            mailbox.endSession();
            client->deleteLater();
        });
        client->write("+OK fake POP3 ready\r\n");
    }
}

void FakePop3Server::readCommands(QTcpSocket* client) {
    while (client->canReadLine()) {
        QByteArray command = client->readLine();
        command.chop(command.endsWith("\r\n") ? 2 : 1);
        received.append(command);
        if (beforeAnswer)
            beforeAnswer(command);
        if (unanswered.contains(command.split(' ').value(0)))
            continue;
        client->write(mailbox.answer(command));
        if (FakeMailbox::isQuit(command))
            client->disconnectFromHost();
    }
}
