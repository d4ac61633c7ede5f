#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The TCP client socket through which every POP3 dialogue runs (Winsock1). Connect returns at
// once; success shows as the first DataArrival (the greeting), failure as Error. Events are
// delivered only while the program yields to the event loop.
class SocketControl : public QObject {
    Q_OBJECT
public:
    enum : int { Closed = 0, Connected = 7 };

    using QObject::QObject;
    ~SocketControl() override = default;

    virtual void Connect(const QString& remoteHost, int remotePort) = 0;
    // 0 closed, 7 connected; anything above 0 is "not closed".
    virtual int State() const = 0;
    // Queues the bytes for sending and returns at once.
    virtual void SendData(const QByteArray& data) = 0;
    // All bytes received since the previous GetData, in order and unchanged.
    virtual QByteArray GetData() = 0;
    // Allowed in any state; State may reach 0 only after the program has yielded.
    virtual void Close() = 0;
    // Starts TLS on the open connection (STLS, RFC 2595), verified as a POP3S connection is:
    // State is Connected again once the server is verified; a failure arrives as Error.
    // Anything received before is dropped, never read as part of the encrypted dialogue.
    virtual void startEncryption() = 0;
    // The connection is encrypted, or being encrypted.
    virtual bool encrypted() const = 0;
    // The SHA-256 fingerprint ("AB:CD:...") of a certificate to accept on the next connection
    // although nothing vouches for it: one the user has seen and accepted. "" for none.
    virtual void setPinnedCertificate(const QString& fingerprint) { (void)fingerprint; }
    // After a handshake failed because nothing vouched for the server's certificate and it was
    // not the pinned one: that certificate's fingerprint. "" otherwise.
    virtual QString untrustedCertificate() const { return {}; }

Q_SIGNALS:
    void DataArrival(qint64 bytesTotal);
    void CloseEvent();
    void Error(int number, const QString& description);
};
