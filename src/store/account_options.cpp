#include "store/account_options.h"

#include "store/data_files.h"

namespace {

const QString None = QStringLiteral("0");
const QLatin1Char Blank(' ');
const QLatin1Char ScopeJoin('+');
const QLatin1String Encrypt("encrypt");
const QLatin1String Keyring("keyring");
const QLatin1String OAuth("oauth2=");
const QLatin1String Authorize("authorize=");
const QLatin1String Token("token=");
const QLatin1String Scope("scope=");

// The value of a "key=value" word, when `word` has that key.
bool takeValue(const QString& word, QLatin1String key, QString& value) {
    if (!word.startsWith(key))
        return false;
    value = word.mid(key.size());
    return true;
}

} // namespace

AccountOptions AccountOptions::of(const Account& account) {
    AccountOptions options;
    QString scope;
    for (const QString& word : account.Spare1.split(Blank, Qt::SkipEmptyParts)) {
        if (word == None)
            continue;
        if (word == Encrypt)
            options.requireEncryption = true;
        else if (word == Keyring)
            options.secretInKeyring = true;
        else if (!takeValue(word, OAuth, options.oauthPreset) &&
                 !takeValue(word, Authorize, options.authorizeUrl) &&
                 !takeValue(word, Token, options.tokenUrl) && !takeValue(word, Scope, scope))
            options.otherWords.append(word);
    }
    options.scope = scope.split(ScopeJoin, Qt::SkipEmptyParts).join(Blank);
    return options;
}

QString AccountOptions::forNewAccount() {
    return Encrypt;
}

void AccountOptions::applyTo(Account& account) const {
    QStringList words;
    if (requireEncryption)
        words.append(Encrypt);
    if (secretInKeyring)
        words.append(Keyring);
    if (signsInWithOAuth()) {
        words.append(OAuth + oauthPreset);
        const std::pair<QLatin1String, QString> endpoints[] = {
            {Authorize, authorizeUrl},
            {Token, tokenUrl},
            {Scope, scope.split(Blank, Qt::SkipEmptyParts).join(ScopeJoin)}};
        for (const auto& [key, value] : endpoints)
            if (!value.isEmpty())
                words.append(key + value);
    }
    words += otherWords;
    account.Spare1 = words.isEmpty() ? None : words.join(Blank);
}

QString pinnedCertificate(const Account& account) {
    return account.Spare2 == None ? QString() : account.Spare2;
}

void setPinnedCertificate(Account& account, const QString& fingerprint) {
    account.Spare2 = fingerprint.isEmpty() ? None : fingerprint;
}
