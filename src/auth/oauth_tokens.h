#pragma once

#include <QDateTime>
#include <QHash>
#include <QNetworkAccessManager>
#include <QString>
#include <functional>

struct Account;
class Settings;

// The access tokens of the OAuth2 accounts, held for this run only and renewed from each
// account's refresh token (kept where its password would be) at the provider's token endpoint.
class OAuthTokens {
public:
    // How long a token request may take.
    static constexpr int RequestTimeoutMs = 30000;

    struct Result {
        QString token;        // "" on failure
        QString failure;      // why, in the program's words
        bool revoked = false; // the provider no longer honours the refresh token
    };

    explicit OAuthTokens(const Settings& settings) : settings_(settings) {}

    // An access token for the account: the one held while it lasts, else (or when `renew`) a
    // new one from the refresh token.
    Result accessToken(const Account& account, bool renew);
    // Told when the provider hands out a new refresh token in place of the old.
    std::function<void(const Account& account, const QString& refreshToken)> refreshTokenChanged;

private:
    struct Held {
        QString token;
        QDateTime expiry;
    };
    Result renew(const Account& account);

    const Settings& settings_;
    QHash<QString, Held> held_; // by account name
    QNetworkAccessManager network_;
};
