// The sign-in part of a POP3 dialogue: encryption first, a certificate that nothing vouches for
// put to the user by its fingerprint, then the password, through SASL PLAIN (RFC 5034) where
// the server offers it over TLS and USER and PASS otherwise.
#include "mail/pop3_channel.h"

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

} // namespace

// A certificate the user accepts is pinned and the account tried once more at once, so the
// first Get mail after accepting it already brings the mail.
bool Pop3Channel::logIn(const Account& account) {
    for (int attempt = 0;; ++attempt) {
        startDialogue();
        socket_.setPinnedCertificate(pinnedCertificate(account));
        const bool failed =
            ConnectToServer(account) || askCapabilities() || startTls() || signIn(account);
        if (!failed || attempt > 0 || !acceptsCertificate(account))
            return failed;
        CloseConnection();
    }
}

// An account that requires encryption sends nothing secret over a connection that stayed in
// the clear, as it would after an attacker removed STLS from the server's capabilities.
bool Pop3Channel::signIn(const Account& account) {
    if (AccountOptions::of(account).requireEncryption && !socket_.encrypted()) {
        AddList(NotEncrypted);
        commandError = true;
        return true;
    }
    return signInWithPassword(account);
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
