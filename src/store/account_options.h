#pragma once

#include <QString>
#include <QStringList>

struct Account;

// What an account keeps besides its first ten meanings, in the two fields the accounts file has
// always had spare and that the older program only ever fills with "0" and carries along.
//
// Spare1 holds the account's options as words separated by blanks; "0" (every account made
// before, and every account of the older program) means none of them, so such an account
// behaves as it always did:
//   "encrypt"          nothing secret is sent over a connection that is not encrypted
//   "keyring"          the password (or refresh token) is kept in the desktop's keyring and the
//                      file's password field is left empty
//   "oauth2=<preset>"  sign in through OAuth2 with the preset "microsoft", "google" or "other";
//                      the password field then holds the refresh token
//   "authorize=<url>", "token=<url>", "scope=<scopes joined by +>"  the endpoints of "other"
// Words this version does not know are kept as they are, so a newer file survives a save.
// Spare2 holds the SHA-256 fingerprint of a server certificate the user has accepted, as hex
// pairs joined by colons; "0" means none.
struct AccountOptions {
    bool requireEncryption = false;
    bool secretInKeyring = false;
    QString oauthPreset; // empty: sign in with the password
    QString authorizeUrl;
    QString tokenUrl;
    QString scope; // blank-separated
    QStringList otherWords;

    static AccountOptions of(const Account& account);
    // What a new account starts with: encryption required.
    static QString forNewAccount();
    // Writes the options into the account's Spare1 ("0" when there are none).
    void applyTo(Account& account) const;
    bool signsInWithOAuth() const { return !oauthPreset.isEmpty(); }
};

// The fingerprint the user accepted for this account's server, or "" when none.
QString pinnedCertificate(const Account& account);
void setPinnedCertificate(Account& account, const QString& fingerprint);
