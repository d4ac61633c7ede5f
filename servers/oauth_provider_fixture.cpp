#include "servers/oauth_provider_fixture.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QUrlQuery>

namespace {

QByteArray response(const QByteArray& status, const QByteArray& headers, const QByteArray& body) {
    return "HTTP/1.1 " + status + "\r\n" + headers +
           "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

QByteArray json(const QByteArray& status, const QJsonObject& object) {
    return response(status, "Content-Type: application/json\r\n",
                    QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QHash<QString, QString> formOf(const QString& encoded) {
    QHash<QString, QString> form;
    for (const auto& [key, value] : QUrlQuery(encoded).queryItems(QUrl::FullyDecoded))
        form.insert(key, value);
    return form;
}

const QByteArray BadRequest = "400 Bad Request";

} // namespace

quint16 OAuthProviderFixture::listen() {
    connect(&listener_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* client = listener_.nextPendingConnection())
            serve(client);
    });
    return listener_.listen(QHostAddress::LocalHost, 0) ? listener_.serverPort() : 0;
}

QUrl OAuthProviderFixture::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(listener_.serverPort()).arg(path));
}

void OAuthProviderFixture::revoke() {
    active_.clear();
    refreshTokens_.clear();
}

// Reads one request (head, then as many body bytes as it announces) and answers it.
void OAuthProviderFixture::serve(QTcpSocket* client) {
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    connect(client, &QTcpSocket::readyRead, client, [this, client] {
        const QByteArray bytes = client->peek(client->bytesAvailable());
        const qsizetype headEnd = bytes.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return;
        const QList<QByteArray> head = bytes.first(headEnd).split('\n');
        qsizetype length = 0;
        for (const QByteArray& line : head)
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        if (bytes.size() < headEnd + 4 + length)
            return;
        client->readAll();
        const QList<QByteArray> requestLine = head.value(0).trimmed().split(' ');
        Request request{requestLine.value(0), QUrl(QString::fromLatin1(requestLine.value(1))), {}};
        request.form =
            formOf(request.method == "POST" ? QString::fromLatin1(bytes.mid(headEnd + 4, length))
                                            : request.target.query(QUrl::FullyEncoded));
        client->write(answer(request));
        client->disconnectFromHost();
    });
}

QByteArray OAuthProviderFixture::answer(const Request& request) {
    const QString path = request.target.path();
    if (path == QLatin1String("/authorize"))
        return authorize(request);
    if (path == QLatin1String("/token"))
        return token(request);
    if (path == QLatin1String("/introspect")) {
        const bool active = active_.contains(request.form.value(QStringLiteral("token")));
        QJsonObject result{{"active", active}};
        if (active)
            result.insert("username", user_);
        return json("200 OK", result);
    }
    return response("404 Not Found", {}, {});
}

// The user signs in at once: back to the client's redirect with a code for its challenge.
QByteArray OAuthProviderFixture::authorize(const Request& request) {
    const auto& form = request.form;
    if (form.value("client_id") != clientId_ || form.value("response_type") != "code" ||
        form.value("code_challenge_method") != "S256" || form.value("code_challenge").isEmpty())
        return response(BadRequest, {}, "bad authorization request");
    const QString code = QStringLiteral("code%1").arg(++issued_);
    challenges_.insert(code, form.value("code_challenge"));
    QUrl back(form.value("redirect_uri"));
    back.setQuery(QUrlQuery{{"code", code}, {"state", form.value("state")}});
    return response("302 Found", "Location: " + back.toEncoded() + "\r\n", {});
}

QByteArray OAuthProviderFixture::token(const Request& request) {
    const auto& form = request.form;
    const QString grant = form.value("grant_type");
    if (form.value("client_id") != clientId_)
        return json(BadRequest, {{"error", "invalid_client"}});
    if (grant == QLatin1String("authorization_code")) {
        const QByteArray verified =
            QCryptographicHash::hash(form.value("code_verifier").toLatin1(),
                                     QCryptographicHash::Sha256)
                .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
        if (challenges_.take(form.value("code")) != QString::fromLatin1(verified))
            return json(BadRequest, {{"error", "invalid_grant"}});
    } else if (grant != QLatin1String("refresh_token") ||
               !refreshTokens_.contains(form.value("refresh_token"))) {
        return json(BadRequest, {{"error", "invalid_grant"}});
    }
    ++grants[grant];
    return newTokens();
}

QByteArray OAuthProviderFixture::newTokens() {
    const QString access = QStringLiteral("access%1").arg(++issued_);
    const QString refresh = QStringLiteral("refresh%1").arg(issued_);
    active_.insert(access);
    refreshTokens_.insert(refresh);
    return json("200 OK", {{"access_token", access},
                           {"token_type", "Bearer"},
                           {"expires_in", 3600},
                           {"refresh_token", refresh}});
}
