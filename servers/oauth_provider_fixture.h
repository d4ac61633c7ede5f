#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A small OAuth2 provider on 127.0.0.1 for the tests and the demo, on the event loop of its
// thread: an authorization endpoint that signs in `user` at once and sends the browser back
// to the client's redirect with a code, a token endpoint for the authorization-code grant with
// PKCE (S256 only) and the refresh grant, and an introspection endpoint (RFC 7662) for the
// mail server. One client id; plain HTTP/1.0-style exchanges, one request per connection.
class OAuthProviderFixture : public QObject {
public:
    OAuthProviderFixture(const QString& clientId, const QString& user)
        : clientId_(clientId), user_(user) {}

    // Listens at a port the system chooses; returns it, or 0 on failure.
    quint16 listen();
    QUrl url(const QString& path) const;

    // The access tokens given so far stop being valid, as when they expire.
    void expireAccessTokens() { active_.clear(); }
    // The grant is withdrawn: no token given so far is valid, and no refresh token is honoured.
    void revoke();
    // How many tokens the token endpoint has given for each grant type.
    QHash<QString, int> grants;

private:
    struct Request {
        QByteArray method;
        QUrl target;
        QHash<QString, QString> form; // the query of a GET, the body of a POST
    };
    void serve(QTcpSocket* client);
    QByteArray answer(const Request& request);
    QByteArray authorize(const Request& request);
    QByteArray token(const Request& request);
    QByteArray newTokens();

    QString clientId_;
    QString user_;
    QTcpServer listener_;
    QHash<QString, QString> challenges_; // code -> PKCE challenge
    QSet<QString> active_;               // access tokens
    QSet<QString> refreshTokens_;
    int issued_ = 0;
};
