#include "auth/oauth_provider.h"

#include "store/account_options.h"
#include "store/settings.h"

namespace {

const QString Microsoft = QStringLiteral("microsoft");
const QString Google = QStringLiteral("google");
const QString Other = QStringLiteral("other");

const OAuthProvider Presets[] = {
    {Microsoft, QStringLiteral("https://login.microsoftonline.com/common/oauth2/v2.0/authorize"),
     QStringLiteral("https://login.microsoftonline.com/common/oauth2/v2.0/token"),
     QStringLiteral("https://outlook.office.com/POP.AccessAsUser.All offline_access"),
     QStringLiteral("outlook.office365.com"), 995},
    {Google, QStringLiteral("https://accounts.google.com/o/oauth2/v2/auth"),
     QStringLiteral("https://oauth2.googleapis.com/token"),
     QStringLiteral("https://mail.google.com/"), QStringLiteral("pop.gmail.com"), 995},
};

} // namespace

QStringList OAuthProvider::presets() {
    return {Microsoft, Google, Other};
}

OAuthProvider OAuthProvider::of(const AccountOptions& options) {
    for (const OAuthProvider& preset : Presets)
        if (preset.preset == options.oauthPreset)
            return preset;
    return {options.oauthPreset, options.authorizeUrl, options.tokenUrl, options.scope, {}, 0};
}

QString OAuthProvider::clientId(const Settings& settings, const QString& preset) {
    const std::pair<QString, std::pair<int, const char*>> sources[] = {
        {Microsoft, {setting::OAuthClientMicrosoft, MAILWEIR_OAUTH_CLIENT_ID_MICROSOFT}},
        {Google, {setting::OAuthClientGoogle, MAILWEIR_OAUTH_CLIENT_ID_GOOGLE}},
        {Other, {setting::OAuthClientOther, ""}}};
    for (const auto& [name, source] : sources)
        if (name == preset)
            return settings[source.first].isEmpty() ? QString::fromLatin1(source.second)
                                                    : settings[source.first];
    return {};
}
