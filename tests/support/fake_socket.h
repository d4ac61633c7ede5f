#pragma once

#include "mail/socket_control.h"

#include <functional>

// A socket control for fast unit tests of the channel: the test feeds arrivals in, reads what
// was sent, and raises the server's close or an error. Events are raised at once, as the real
// socket raises them during a yield.
class FakeSocket : public SocketControl {
    Q_OBJECT
public:
    // The state Close leaves (above 0: a socket that will not close).
    int stateAfterClose = Closed;

    QString host;
    int connects = 0;
    int closes = 0;
    QByteArray sent;
    // Called after Connect and with each piece of data sent, e.g. to queue the server's answer.
    std::function<void()> onConnect;
    std::function<void(const QByteArray&)> onSend;
    // Called when TLS starts, e.g. to fail the handshake; otherwise it succeeds at once.
    std::function<void()> onEncrypt;

    void Connect(const QString& remoteHost, int remotePort) override;
    int State() const override { return state_; }
    void SendData(const QByteArray& data) override;
    QByteArray GetData() override;
    void Close() override;
    void startEncryption() override;
    bool encrypted() const override { return encrypted_; }

    // The server's side.
    void arrive(const QByteArray& bytes);
    void serverCloses();
    void fail(int number, const QString& description);

private:
    int state_ = Closed;
    bool encrypted_ = false;
    QByteArray received_;
};
