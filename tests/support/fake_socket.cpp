#include "support/fake_socket.h"

#include <utility>

namespace {

constexpr int PeerClosing = 8;
constexpr int SocketError = 9;

} // namespace

void FakeSocket::Connect(const QString& remoteHost, int) {
    host = remoteHost;
    ++connects;
    state_ = Connected; // the server accepts at once
    encrypted_ = false;
    if (onConnect)
        onConnect();
}

void FakeSocket::SendData(const QByteArray& data) {
    sent += data;
    if (onSend)
        onSend(data);
}

QByteArray FakeSocket::GetData() {
    return std::exchange(received_, QByteArray());
}

void FakeSocket::Close() {
    ++closes;
    state_ = stateAfterClose;
}

void FakeSocket::startEncryption() {
    encrypted_ = true;
    received_.clear();
    if (onEncrypt)
        onEncrypt();
}

void FakeSocket::arrive(const QByteArray& bytes) {
    received_ += bytes;
    Q_EMIT DataArrival(received_.size());
}

void FakeSocket::serverCloses() {
    state_ = PeerClosing;
    Q_EMIT CloseEvent();
}

void FakeSocket::fail(int number, const QString& description) {
    state_ = SocketError;
    Q_EMIT Error(number, description);
}
