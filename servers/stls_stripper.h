#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// A man in the middle on 127.0.0.1, as an attacker on the network would be: it passes a POP3
// dialogue on to a server but removes the STLS line from every reply, so the client is never
// told that it could encrypt. Records everything the client says. Runs on the event loop of
// its thread; one client at a time.
class StlsStripper : public QObject {
public:
    StlsStripper(const QString& host, quint16 port) : host_(host), port_(port) {}

    // Listens at a port the system chooses; returns it, or 0 on failure.
    quint16 listen();
    // Every byte the clients sent, over all connections.
    QByteArray heard;

private:
    void accept();
    void passOn(QTcpSocket* client, QTcpSocket* server);
    QByteArray strip(QByteArray& pending);

    QString host_;
    quint16 port_;
    QTcpServer listener_;
};
