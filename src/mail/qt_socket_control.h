#pragma once

#include "mail/socket_control.h"

#include <QList>
#include <QSslCertificate>
#include <QSslError>
#include <QSslSocket>

// The program's socket control over QSslSocket. The POP3S port connects with implicit TLS,
// verified against the system's trust store and the host name; every other port is plain TCP.
// The socket's own signals are handed on through queued calls, so the channel's handlers (which
// yield and show boxes) never run inside QSslSocket's code, and a notification that belongs to
// a connection already closed is dropped.
class QtSocketControl : public SocketControl {
    Q_OBJECT
public:
    static constexpr int DefaultTlsPort = 995;

    explicit QtSocketControl(QObject* parent = nullptr);

    void Connect(const QString& remoteHost, int remotePort) override;
    int State() const override;
    void SendData(const QByteArray& data) override;
    QByteArray GetData() override;
    void Close() override;
    void startEncryption() override;
    bool encrypted() const override { return tls_; }
    void setPinnedCertificate(const QString& fingerprint) override { pin_ = fingerprint; }
    QString untrustedCertificate() const override { return untrusted_; }
    static QString fingerprintOf(const QSslCertificate& certificate);

    // The port that gets implicit TLS (a test server cannot listen on 995).
    void setTlsPort(int port) { tlsPort_ = port; }
    // Trusts a further certificate authority besides the system's; verification stays on.
    void addCaCertificates(const QList<QSslCertificate>& certificates);

private:
    void deliver(void (QtSocketControl::*handler)());
    void onReadyRead();
    void onDisconnected();
    void onSslErrors(const QList<QSslError>& errors);
    void onSocketError();
    void onBadPort();
    void reportError(int number, const QString& description);

    QSslSocket socket_;
    int tlsPort_ = DefaultTlsPort;
    bool tls_ = false;
    bool failed_ = false;    // an error was reported; the close that follows is not the server's
    quint64 generation_ = 0; // bumped by Connect and Close
    QList<QSslError> sslErrors_;
    QString pin_;
    QString untrusted_;
};
