#include "auth/oauth_sign_in.h"

#include "auth/oauth_provider.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QHostAddress>
#include <QOAuth2AuthorizationCodeFlow>
#include <QOAuthHttpServerReplyHandler>
#include <QRandomGenerator>
#include <QTimer>

namespace {

const QString NoClientId = QStringLiteral("There is no OAuth2 client id for this provider. "
                                          "Enter one in the Preferences.");
const QString NoLoopback = QStringLiteral("No local port could be opened for the sign-in.");
const QString Refused = QStringLiteral("The sign-in was refused: ");
const QString TimedOut = QStringLiteral("The sign-in was not completed in time.");
const QString NoRefreshToken = QStringLiteral("The provider gave no refresh token.");
constexpr int VerifierBytes = 48; // 64 characters once encoded: RFC 7636 asks for 43 to 128

QByteArray base64Url(const QByteArray& bytes) {
    return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

QByteArray randomVerifier() {
    QByteArray bytes(VerifierBytes, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = static_cast<char>(QRandomGenerator::system()->bounded(256));
    return base64Url(bytes);
}

} // namespace

namespace oauth {

SignInResult signIn(const OAuthProvider& provider, const QString& clientId,
                    const std::function<void(const QUrl&)>& openBrowser,
                    const std::function<void(const Cancel&)>& whileWaiting) {
    if (clientId.isEmpty())
        return {{}, NoClientId};
    QOAuth2AuthorizationCodeFlow flow;
    auto* redirect = new QOAuthHttpServerReplyHandler(QHostAddress::LocalHost, 0, &flow);
    if (!redirect->isListening())
        return {{}, NoLoopback};
    flow.setReplyHandler(redirect);
    flow.setAuthorizationUrl(QUrl(provider.authorizeUrl));
    flow.setAccessTokenUrl(QUrl(provider.tokenUrl));
    flow.setClientIdentifier(clientId);
    flow.setScope(provider.scope);
    // Qt 6.4 has no PKCE of its own: the challenge goes with the authorization request and
    // the verifier with the token request, through the flow's parameter hook.
    const QByteArray verifier = randomVerifier();
    const QByteArray challenge =
        base64Url(QCryptographicHash::hash(verifier, QCryptographicHash::Sha256));
    flow.setModifyParametersFunction([verifier,
                                      challenge](QAbstractOAuth::Stage stage,
                                                 QMultiMap<QString, QVariant>* parameters) {
        if (stage == QAbstractOAuth::Stage::RequestingAuthorization) {
            parameters->insert(QStringLiteral("code_challenge"), QString::fromLatin1(challenge));
            parameters->insert(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
        } else if (stage == QAbstractOAuth::Stage::RequestingAccessToken) {
            parameters->insert(QStringLiteral("code_verifier"), QString::fromLatin1(verifier));
        }
    });
    QObject::connect(&flow, &QAbstractOAuth::authorizeWithBrowser, openBrowser);
    SignInResult result{{}, TimedOut};
    QEventLoop loop;
    QObject::connect(&flow, &QAbstractOAuth::granted, &loop, [&] {
        result = {flow.refreshToken(), flow.refreshToken().isEmpty() ? NoRefreshToken : QString()};
        loop.quit();
    });
    QObject::connect(&flow, &QAbstractOAuth2::error, &loop,
                     [&](const QString& error, const QString& description) {
                         result = {{}, Refused + error + QLatin1Char(' ') + description};
                         loop.quit();
                     });
    QObject::connect(&flow, &QAbstractOAuth::requestFailed, &loop, [&] {
        result = {{}, Refused + QStringLiteral("no token")};
        loop.quit();
    });
    QTimer::singleShot(SignInTimeoutMs, &loop, &QEventLoop::quit);
    flow.grant();
    if (whileWaiting)
        whileWaiting([&] {
            result = {{}, {}, true};
            loop.quit();
        });
    loop.exec();
    redirect->close();
    return result;
}

} // namespace oauth
