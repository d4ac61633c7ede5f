#include "auth/secrets.h"

#include "auth/keyring.h"
#include "platform/platform.h"
#include "store/account_options.h"
#include "store/data_files.h"
#include "store/settings.h"

namespace {

const QString AskTitle = QStringLiteral("Mailweir");
const QString AskPrompt =
    QStringLiteral("The password of the account \"%1\" is kept in a desktop keyring that is not "
                   "available now.      \r\nPlease type it once more:");
const QString KeyPrefix = QStringLiteral("account ");
const QString ProgramKey = QStringLiteral("program password");
const QString AskProgramPrompt =
    QStringLiteral("The program password is kept in a desktop keyring that is not available "
                   "now.      \r\nPlease type it once more:");

} // namespace

// The account's name is its key: the accounts editor keeps names unique.
QString Secrets::keyOf(const Account& account) {
    return KeyPrefix + account.AccountName;
}

void Secrets::fetch(AccountTable& accounts, QPoint boxPosition) {
    for (int r = 1; r <= accounts.count(); ++r) {
        Account& account = accounts.row(r);
        AccountOptions options = AccountOptions::of(account);
        if (!options.secretInKeyring)
            continue;
        const Keyring::Read read = keyring_.read(keyOf(account));
        if (read.status == Keyring::Status::Found) {
            account.AccountPassword = read.secret;
            kept_.insert(keyOf(account), read.secret);
            continue;
        }
        if (options.signsInWithOAuth())
            continue;
        account.AccountPassword = platform_.inputBox(AskPrompt.arg(account.AccountName), AskTitle,
                                                     QString(), boxPosition, true);
        // Cancelled: the mark stays, for a later run that finds the keyring again.
        if (account.AccountPassword.isEmpty())
            continue;
        options.secretInKeyring = false;
        options.applyTo(account);
    }
}

void Secrets::keep(AccountTable& accounts) {
    QHash<QString, QString> kept;
    for (int r = 1; r <= accounts.count(); ++r) {
        Account& account = accounts.row(r);
        AccountOptions options = AccountOptions::of(account);
        const QString key = keyOf(account);
        // A marked account whose secret was never read keeps its mark and its entry.
        if (account.AccountPassword.isEmpty()) {
            if (options.secretInKeyring)
                kept.insert(key, kept_.value(key));
            continue;
        }
        const bool unchanged = kept_.contains(key) && kept_.value(key) == account.AccountPassword;
        options.secretInKeyring = unchanged || !keyring_.write(key, account.AccountPassword);
        options.applyTo(account);
        if (options.secretInKeyring)
            kept.insert(key, account.AccountPassword);
    }
    // The entries of accounts deleted or renamed since.
    for (auto it = kept_.cbegin(); it != kept_.cend(); ++it)
        if (!kept.contains(it.key()))
            keyring_.remove(it.key());
    kept_ = kept;
}

// Without the keyring the password typed here becomes the program password, as the file would
// have given it: whoever can run the program here could as well edit config.ini.
void Secrets::fetch(Settings& settings, QPoint boxPosition) {
    QString& place = settings[setting::ProgramPasswordKept];
    if (place != QLatin1String(Settings::InKeyring))
        return;
    if (!programPassword_) {
        const Keyring::Read read = keyring_.read(ProgramKey);
        if (read.status == Keyring::Status::Found)
            programPassword_ = read.secret;
    }
    if (programPassword_) {
        settings[setting::ProgramPassword] = *programPassword_;
        return;
    }
    settings[setting::ProgramPassword] =
        platform_.inputBox(AskProgramPrompt, AskTitle, QString(), boxPosition, true);
    if (!settings[setting::ProgramPassword].isEmpty())
        place.clear();
}

void Secrets::keep(Settings& settings) {
    QString& place = settings[setting::ProgramPasswordKept];
    const QString& password = settings[setting::ProgramPassword];
    const bool marked = place == QLatin1String(Settings::InKeyring);
    // A password never read from a keyring that was not there stays where it is.
    if (password.isEmpty() && marked && !programPassword_)
        return;
    if (password.isEmpty()) {
        if (marked)
            keyring_.remove(ProgramKey);
        place.clear();
        programPassword_.reset();
        return;
    }
    if (marked && programPassword_ == password)
        return;
    const bool failed = keyring_.write(ProgramKey, password);
    place = failed ? QString() : QString::fromLatin1(Settings::InKeyring);
    programPassword_ = failed ? std::nullopt : std::optional<QString>(password);
}
