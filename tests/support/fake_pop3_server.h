#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QTcpServer>
#include <functional>

class QTcpSocket;

// A POP3 mailbox as a server keeps it: answers USER, PASS, AUTH, STAT, CAPA, STLS, LIST, LIST n,
// UIDL, UIDL n, RETR n, DELE n and QUIT (which removes the deleted messages), each answer a
// complete reply. A session that ends without QUIT removes nothing, as RFC 1939 says.
class FakeMailbox {
public:
    QList<QByteArray> messages;     // each message's lines ended by CR LF
    QList<QByteArray> capabilities; // the CAPA reply's lines; none: CAPA is refused

    // The reply to one command line given without its CR LF.
    QByteArray answer(const QByteArray& command);
    // The RETR reply for a message: status line, dot-stuffed lines, ".".
    static QByteArray retrReply(const QByteArray& message);
    // A message's unique id: its MD5 in hex, so it stays with the message when others go.
    static QByteArray uniqueId(const QByteArray& message);
    static bool isQuit(const QByteArray& command) { return command.startsWith("QUIT"); }
    // The session ended: DELE marks not yet carried out by QUIT are discarded.
    void endSession() { deleted_.clear(); }

private:
    QByteArray messageAnswer(const QByteArray& word, qsizetype n);
    // What LIST or UIDL gives message n after its number: its size or its unique id.
    QByteArray numberAnswer(const QByteArray& word, qsizetype n) const;

    QSet<qsizetype> deleted_;
};

// A POP3 server on 127.0.0.1 serving one mailbox to the program's own socket, on the event loop
// of its thread. The commands whose word is in `unanswered` get no reply, as on a stalled server.
class FakePop3Server : public QObject {
public:
    using QObject::QObject;

    // Listens at a port the system chooses; returns it, or 0 on failure.
    quint16 listen();
    quint16 port() const { return server_.serverPort(); }
    // A port nothing listens on: a connection to it is refused.
    static quint16 refusingPort();

    FakeMailbox mailbox;
    QSet<QByteArray> unanswered;
    // Every command line received, without its CR LF, over all connections.
    QList<QByteArray> received;
    // Called with each command line before it is answered, while the program waits for it.
    std::function<void(const QByteArray&)> beforeAnswer;

private:
    void accept();
    void readCommands(QTcpSocket* client);

    QTcpServer server_;
};
