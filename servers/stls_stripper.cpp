#include "servers/stls_stripper.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <memory>

quint16 StlsStripper::listen() {
    connect(&listener_, &QTcpServer::newConnection, this, &StlsStripper::accept);
    return listener_.listen(QHostAddress::LocalHost, 0) ? listener_.serverPort() : 0;
}

void StlsStripper::accept() {
    while (QTcpSocket* client = listener_.nextPendingConnection()) {
        auto* server = new QTcpSocket(client);
        passOn(client, server);
        server->connectToHost(host_, port_);
    }
}

void StlsStripper::passOn(QTcpSocket* client, QTcpSocket* server) {
    // What the client sends before the server is reached waits in its socket.
    const auto forward = [this, client, server] {
        if (server->state() != QAbstractSocket::ConnectedState)
            return;
        const QByteArray bytes = client->readAll();
        heard += bytes;
        server->write(bytes);
    };
    connect(server, &QTcpSocket::connected, client, forward);
    connect(client, &QTcpSocket::readyRead, server, forward);
    auto pending = std::make_shared<QByteArray>();
    connect(server, &QTcpSocket::readyRead, client, [this, client, server, pending] {
        *pending += server->readAll();
        client->write(strip(*pending));
    });
    connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
}

// The whole lines of `pending`, but the STLS capability; a partial line is kept for later.
QByteArray StlsStripper::strip(QByteArray& pending) {
    QByteArray out;
    qsizetype end;
    while ((end = pending.indexOf('\n')) >= 0) {
        const QByteArray line = pending.first(end + 1);
        pending.remove(0, end + 1);
        if (line.trimmed().toUpper() != "STLS")
            out += line;
    }
    return out;
}
