// The sign-in part of a POP3 dialogue: encryption first, a certificate that nothing vouches for
// put to the user by its fingerprint, then the password, through SASL PLAIN (RFC 5034) where
// the server offers it over TLS and USER and PASS otherwise; or for an OAuth2 account its
// access token, through OAUTHBEARER (RFC 7628) or XOAUTH2, whichever the server offers.
#include "mail/pop3_channel.h"

#include "auth/oauth_tokens.h"
#include "mail/pop3_reply.h"
#include "platform/platform.h"
#include "store/account_options.h"
#include "store/data_files.h"

namespace {

const QLatin1String NotEncrypted("Error - no encryption, password not sent");
const QLatin1String CertificateChanged("Error - certificate changed since it was accepted");
const QLatin1String CertificateRefused("Error - certificate not accepted");
const QLatin1String CertificateTitle("Unverified certificate");
const QLatin1String CertificateQuestion(
    "The server of the account \"%1\" shows a certificate that nothing vouches for:      \r\n"
    "%2\r\n\r\nIts SHA-256 fingerprint is\r\n%3\r\n\r\n"
    "Accept it only if this is the fingerprint your provider gives for the server. Once "
    "accepted it is kept for this account, and a different certificate is refused.      \r\n"
    "Accept this certificate?      ");

const QLatin1String User("USER ");
const QLatin1String Pass("PASS ");
const QLatin1String Plain("PLAIN");
const QLatin1String AuthPlain("AUTH PLAIN ");
const QLatin1String OAuthBearer("OAUTHBEARER");
const QLatin1String XOAuth2("XOAUTH2");
const QLatin1String Auth("AUTH ");
const QLatin1String Cancel("*"); // ends a SASL exchange the server wants to go on with
const QLatin1String NoOAuth("Error - the server offers no OAuth2 sign-in");
const QLatin1String Revoked("Error - sign-in no longer valid, sign in again in Accounts");
const QLatin1String NoToken("Error - ");

// The initial client responses, before base64 (RFC 7628 section 3.1; XOAUTH2 as its providers
// define it).
constexpr char Separator = '\x01';

QByteArray bearerResponse(const Account& account, const QString& token) {
    return "n,a=" + account.Username.toUtf8() + ',' + Separator +
           "host=" + account.MailServer.toUtf8() + Separator + "port=" + account.Port.toUtf8() +
           Separator + "auth=Bearer " + token.toUtf8() + Separator + Separator;
}

QByteArray xoauth2Response(const Account& account, const QString& token) {
    return "user=" + account.Username.toUtf8() + Separator + "auth=Bearer " + token.toUtf8() +
           Separator + Separator;
}

} // namespace

// A certificate the user accepts is pinned and the account tried once more at once, so the
// first Get mail after accepting it already brings the mail; so is an access token the server
// no longer takes, with a new one.
bool Pop3Channel::logIn(const Account& account) {
    renewToken_ = false;
    for (int attempt = 0;; ++attempt) {
        startDialogue();
        tokenRefused_ = false;
        socket_.setPinnedCertificate(pinnedCertificate(account));
        const bool failed =
            ConnectToServer(account) || askCapabilities() || startTls() || signIn(account);
        if (!failed || attempt > 0 || !triesAgain(account))
            return failed;
        CloseConnection();
    }
}

bool Pop3Channel::triesAgain(const Account& account) {
    if (tokenRefused_ && !abandoned_) {
        renewToken_ = true;
        return true;
    }
    return acceptsCertificate(account);
}

// An account that requires encryption sends nothing secret over a connection that stayed in
// the clear, as it would after an attacker removed STLS from the server's capabilities.
// A token is as good as a password to whoever reads it: it too goes only over TLS.
bool Pop3Channel::signIn(const Account& account) {
    const AccountOptions options = AccountOptions::of(account);
    if ((options.requireEncryption || options.signsInWithOAuth()) && !socket_.encrypted()) {
        AddList(NotEncrypted);
        commandError = true;
        return true;
    }
    return options.signsInWithOAuth() ? signInWithToken(account) : signInWithPassword(account);
}

// A server that answers the token with a challenge ("+ ...") refuses it (RFC 7628 section
// 3.2.3): the exchange is cancelled and the sign-in tried once more with a new token.
bool Pop3Channel::signInWithToken(const Account& account) {
    const bool bearer = pop3::offersSasl(capabilities_, OAuthBearer);
    if (commandError || (!bearer && !pop3::offersSasl(capabilities_, XOAuth2)) || !tokens) {
        AddList(NoOAuth);
        commandError = true;
        return true;
    }
    const OAuthTokens::Result access = tokens->accessToken(account, renewToken_);
    if (access.token.isEmpty()) {
        AddList(access.revoked ? QString(Revoked) : NoToken + access.failure);
        commandError = true;
        return true;
    }
    const QByteArray response =
        bearer ? bearerResponse(account, access.token) : xoauth2Response(account, access.token);
    const QString mechanism = bearer ? OAuthBearer : XOAuth2;
    tokenRefused_ =
        sendMsg(Command::Other,
                Auth + mechanism + QLatin1Char(' ') + QString::fromLatin1(response.toBase64()),
                CommandTimeout) ||
        !replyData.startsWith(QLatin1String("+OK"));
    if (tokenRefused_ && !commandError) {
        sendMsg(Command::Other, Cancel, CommandTimeout);
        commandError = true;
    }
    return tokenRefused_;
}

bool Pop3Channel::signInWithPassword(const Account& account) {
    // SASL PLAIN takes name and password in UTF-8 in one command; only worth it where nobody
    // but the server can read it.
    if (socket_.encrypted() && !commandError && pop3::offersSasl(capabilities_, Plain)) {
        const QByteArray response =
            '\0' + account.Username.toUtf8() + '\0' + account.AccountPassword.toUtf8();
        return sendMsg(Command::Other, AuthPlain + QString::fromLatin1(response.toBase64()),
                       CommandTimeout);
    }
    return sendMsg(Command::Other, User + account.Username, CommandTimeout) ||
           sendMsg(Command::Other, Pass + account.AccountPassword, CommandTimeout);
}

// A certificate that nothing vouches for may be accepted by the user once they have seen its
// fingerprint; it is then pinned for the account. Another one, where one is pinned, is refused
// without asking: a changed certificate is what an attacker would show.
bool Pop3Channel::acceptsCertificate(const Account& account) {
    const QString fingerprint = socket_.untrustedCertificate();
    if (fingerprint.isEmpty() || abandoned_)
        return false;
    if (!pinnedCertificate(account).isEmpty()) {
        AddList(CertificateChanged);
        return false;
    }
    const Platform::Answer answer = platform_.messageBox(
        QString(CertificateQuestion).arg(account.AccountName, certificateError_, fingerprint),
        Platform::Buttons::YesNo, Platform::Icon::Warning, CertificateTitle);
    if (answer != Platform::Answer::Yes || !certificateAccepted) {
        AddList(CertificateRefused);
        return false;
    }
    certificateAccepted(account, fingerprint);
    return pinnedCertificate(account) == fingerprint;
}
