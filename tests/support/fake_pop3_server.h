#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTcpServer>

class QTcpSocket;

// A POP3 mailbox as a server keeps it: answers USER, PASS, STAT, CAPA, STLS, LIST, LIST n,
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

// A scriptable POP3 server on 127.0.0.1 for the channel's end-to-end edge cases. It serves a
// mailbox and lets a test replace any answer: split it into chunks with pauses between them,
// close the connection after it, or stay silent. Served on the event loop of its thread.
class FakePop3Server : public QObject {
    Q_OBJECT
public:
    struct Reply {
        QList<QByteArray> chunks; // none: the server stays silent
        int pauseMs = 0;          // before each chunk
        bool closeAfter = false;
    };

    using QObject::QObject;

    // Listens on 127.0.0.1 at a port the system chooses; returns it, or 0 on failure.
    quint16 listen();
    quint16 port() const { return server_.serverPort(); }
    // A port nothing listens on: a connection to it is refused.
    static quint16 refusingPort();

    Reply greeting{{"+OK fake POP3 ready\r\n"}, 0, false};
    FakeMailbox mailbox;
    // Answers by whole command line ("RETR 2") or, failing that, by command word ("RETR").
    QHash<QByteArray, Reply> replies;

    // Every command line received, without its CR LF, over all connections.
    QList<QByteArray> received;
    int connections = 0;

private:
    void accept();
    void readCommands(QTcpSocket* client);
    Reply answer(const QByteArray& command);
    void send(QTcpSocket* client, const Reply& reply, qsizetype chunk);

    QTcpServer server_;
};
