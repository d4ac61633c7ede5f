#pragma once

#include <QHash>
#include <QPoint>
#include <QString>
#include <optional>

class AccountTable;
class Settings;
struct Account;
class Keyring;
class Platform;

// Where the secrets live: the accounts' passwords and the refresh tokens of OAuth2 accounts,
// and the program password.
// With a keyring each is kept there, and Accounts.txt marks the account ("keyring" in its
// options) and leaves its password field empty. Without one they stay in the file, with each
// code raised by one, as they always did; a file without marks (every older one, and the
// Windows program's) therefore loads as it always did.
class Secrets {
public:
    Secrets(Keyring& keyring, Platform& platform) : keyring_(keyring), platform_(platform) {}

    // After the accounts are loaded: each marked account's secret from the keyring. A password
    // the keyring cannot give (the folder came from a machine with one, this one has none) is
    // asked for once, in a box at `boxPosition` (twips); the account is then no longer marked,
    // so the next save keeps the password wherever it can. A refresh token cannot be typed:
    // that account signs in again.
    void fetch(AccountTable& accounts, QPoint boxPosition);
    // Before the accounts are saved: each secret into the keyring, marking its account. Where
    // the keyring is missing or fails, the secret is unmarked and goes to the file.
    void keep(AccountTable& accounts);

    static QString keyOf(const Account& account);

    // The same for the program password of config.ini, marked by its entry 2. Fetched after
    // every load of the settings: it is held for the run, so the keyring is asked once.
    void fetch(Settings& settings, QPoint boxPosition);
    void keep(Settings& settings);

private:
    Keyring& keyring_;
    Platform& platform_;
    QHash<QString, QString> kept_;           // what the keyring holds, as far as this run knows
    std::optional<QString> programPassword_; // the program password, once read or kept
};
