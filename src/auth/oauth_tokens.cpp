#include "auth/oauth_tokens.h"

#include "auth/oauth_provider.h"
#include "store/account_options.h"
#include "store/data_files.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QTimer>
#include <QUrlQuery>

namespace {

const QString NoClientId = QStringLiteral("no OAuth2 client id for this provider");
const QString NoAnswer = QStringLiteral("the provider did not answer: ");
const QString NoToken = QStringLiteral("the provider gave no access token");
const QString Revoked = QStringLiteral("invalid_grant");
// A token this close to its end is renewed first: the server must still take it.
constexpr int MarginSeconds = 60;

} // namespace

OAuthTokens::Result OAuthTokens::accessToken(const Account& account, bool renewing) {
    const auto held = held_.constFind(account.AccountName);
    if (!renewing && held != held_.cend() &&
        QDateTime::currentDateTimeUtc().addSecs(MarginSeconds) < held->expiry)
        return {held->token, {}, false};
    return renew(account);
}

// The refresh grant of RFC 6749 section 6, for a public client (no secret).
OAuthTokens::Result OAuthTokens::renew(const Account& account) {
    const OAuthProvider provider = OAuthProvider::of(AccountOptions::of(account));
    const QString clientId = OAuthProvider::clientId(settings_, provider.preset);
    if (clientId.isEmpty())
        return {{}, NoClientId, false};
    QUrlQuery form;
    form.addQueryItem(QStringLiteral("grant_type"), QStringLiteral("refresh_token"));
    form.addQueryItem(QStringLiteral("refresh_token"), account.AccountPassword);
    form.addQueryItem(QStringLiteral("client_id"), clientId);
    QNetworkRequest request{QUrl(provider.tokenUrl)};
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    QNetworkReply* reply = network_.post(request, form.toString(QUrl::FullyEncoded).toLatin1());
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(RequestTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    const bool answered = reply->isFinished();
    if (!answered)
        reply->abort();
    reply->deleteLater();
    const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
    if (answer.value(QStringLiteral("error")).toString() == Revoked) {
        held_.remove(account.AccountName);
        return {{}, {}, true};
    }
    if (!answered || reply->error() != QNetworkReply::NoError)
        return {{}, NoAnswer + reply->errorString(), false};
    const QString token = answer.value(QStringLiteral("access_token")).toString();
    if (token.isEmpty())
        return {{}, NoToken, false};
    const qint64 lifetime = answer.value(QStringLiteral("expires_in")).toInteger(3600);
    held_.insert(account.AccountName, {token, QDateTime::currentDateTimeUtc().addSecs(lifetime)});
    const QString rotated = answer.value(QStringLiteral("refresh_token")).toString();
    if (!rotated.isEmpty() && rotated != account.AccountPassword && refreshTokenChanged)
        refreshTokenChanged(account, rotated);
    return {token, {}, false};
}
