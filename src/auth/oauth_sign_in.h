#pragma once

#include <QString>
#include <QUrl>
#include <functional>

struct OAuthProvider;

// Signs an account in with OAuth2 in the user's own browser: the authorization-code flow with
// PKCE (RFC 7636) and a redirect to a port of the loopback address that is open only meanwhile
// (RFC 8252), through Qt Network Authorization. What it brings back is the refresh token.
namespace oauth {

// How long the user has to sign in.
constexpr int SignInTimeoutMs = 5 * 60 * 1000;

struct SignInResult {
    QString refreshToken;   // "" when the sign-in failed or was cancelled
    QString failure;        // why it failed, in the program's words
    bool cancelled = false; // the user gave up waiting
};

// Shows the provider's page through `openBrowser` and waits for the redirect and the token.
// Meanwhile `whileWaiting` is given the means to stop waiting, for the user to cancel.
using Cancel = std::function<void()>;
SignInResult signIn(const OAuthProvider& provider, const QString& clientId,
                    const std::function<void(const QUrl&)>& openBrowser,
                    const std::function<void(const Cancel&)>& whileWaiting = {});

} // namespace oauth
