#include "mail/qt_socket_control.h"

#include <QCryptographicHash>
#include <QMetaObject>
#include <QSslConfiguration>
#include <QStringList>
#include <cerrno>

namespace {

const QLatin1String UnverifiedCertificate("The server's certificate could not be verified: ");
const QLatin1String BadPort("Invalid port number");

// The socket control's state numbers besides Closed and Connected.
constexpr int Open = 1;
constexpr int Listening = 2;
constexpr int ResolvingHost = 4;
constexpr int Connecting = 6;
constexpr int Closing = 8;

// Error numbers are the Linux errno values closest to Qt's socket errors, so the number in the
// error box means something to a Linux user.
int errorNumber(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return ECONNREFUSED;
    case QAbstractSocket::HostNotFoundError:
        return EHOSTUNREACH;
    case QAbstractSocket::SocketTimeoutError:
        return ETIMEDOUT;
    case QAbstractSocket::NetworkError:
        return ENETUNREACH;
    case QAbstractSocket::SocketAccessError:
        return EACCES;
    case QAbstractSocket::SslHandshakeFailedError:
        return EPROTO;
    default:
        return EIO;
    }
}

} // namespace

QtSocketControl::QtSocketControl(QObject* parent) : SocketControl(parent) {
    socket_.setPeerVerifyMode(QSslSocket::VerifyPeer); // never relaxed, also not for tests
    connect(&socket_, &QSslSocket::readyRead, this,
            [this] { deliver(&QtSocketControl::onReadyRead); });
    connect(&socket_, &QSslSocket::disconnected, this,
            [this] { deliver(&QtSocketControl::onDisconnected); });
    connect(&socket_, &QSslSocket::errorOccurred, this,
            [this] { deliver(&QtSocketControl::onSocketError); });
    // Handled at once: the handshake goes on only if the errors are ignored inside the signal.
    connect(&socket_, &QSslSocket::sslErrors, this, &QtSocketControl::onSslErrors);
}

QString QtSocketControl::fingerprintOf(const QSslCertificate& certificate) {
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

// The one certificate the user accepted is taken whatever else is said against it (it is
// their word for this server); any other that nothing vouches for ends the handshake.
void QtSocketControl::onSslErrors(const QList<QSslError>& errors) {
    const QString fingerprint = fingerprintOf(socket_.peerCertificate());
    if (!pin_.isEmpty() && fingerprint == pin_) {
        socket_.ignoreSslErrors();
        return;
    }
    untrusted_ = fingerprint;
    sslErrors_ = errors;
}

void QtSocketControl::deliver(void (QtSocketControl::*handler)()) {
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, handler, generation] {
            if (generation == generation_)
                (this->*handler)();
        },
        Qt::QueuedConnection);
}

void QtSocketControl::Connect(const QString& remoteHost, int remotePort) {
    Close();
    failed_ = false;
    sslErrors_.clear();
    untrusted_.clear();
    if (remotePort < 0 || remotePort > 0xFFFF) {
        deliver(&QtSocketControl::onBadPort);
        return;
    }
    tls_ = remotePort == tlsPort_;
    const auto port = static_cast<quint16>(remotePort);
    if (tls_)
        socket_.connectToHostEncrypted(remoteHost, port);
    else
        socket_.connectToHost(remoteHost, port);
}

int QtSocketControl::State() const {
    switch (socket_.state()) {
    case QAbstractSocket::UnconnectedState:
        return Closed;
    case QAbstractSocket::HostLookupState:
        return ResolvingHost;
    case QAbstractSocket::ConnectingState:
        return Connecting;
    case QAbstractSocket::ConnectedState:
        // Over TLS nothing may be said until the handshake has verified the server.
        return tls_ && !socket_.isEncrypted() ? Connecting : Connected;
    case QAbstractSocket::BoundState:
        return Open;
    case QAbstractSocket::ListeningState:
        return Listening;
    case QAbstractSocket::ClosingState:
        return Closing;
    }
    return Closed;
}

void QtSocketControl::SendData(const QByteArray& data) {
    if (State() == Connected)
        socket_.write(data);
}

QByteArray QtSocketControl::GetData() {
    return socket_.readAll();
}

void QtSocketControl::Close() {
    socket_.abort();
    ++generation_; // after abort, which announces its own disconnection
}

void QtSocketControl::startEncryption() {
    (void)socket_.readAll(); // sent in the clear after the STLS reply: not the server's word
    tls_ = true;
    socket_.startClientEncryption();
}

void QtSocketControl::addCaCertificates(const QList<QSslCertificate>& certificates) {
    QSslConfiguration configuration = socket_.sslConfiguration();
    configuration.addCaCertificates(certificates);
    socket_.setSslConfiguration(configuration);
}

void QtSocketControl::onReadyRead() {
    const qint64 available = socket_.bytesAvailable();
    if (available > 0)
        Q_EMIT DataArrival(available);
}

void QtSocketControl::onDisconnected() {
    if (!failed_)
        Q_EMIT CloseEvent();
}

void QtSocketControl::onSocketError() {
    // One error per connection; the server's orderly close arrives as CloseEvent instead.
    if (failed_ || socket_.error() == QAbstractSocket::RemoteHostClosedError)
        return;
    if (sslErrors_.isEmpty()) {
        reportError(errorNumber(socket_.error()), socket_.errorString());
        return;
    }
    QStringList reasons;
    for (const QSslError& error : std::as_const(sslErrors_))
        reasons.append(error.errorString());
    reportError(EPROTO, UnverifiedCertificate + reasons.join(QLatin1String("; ")));
}

void QtSocketControl::onBadPort() {
    reportError(EINVAL, BadPort);
}

void QtSocketControl::reportError(int number, const QString& description) {
    failed_ = true;
    Q_EMIT Error(number, description);
}
