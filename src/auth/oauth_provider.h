#pragma once

#include <QString>
#include <QStringList>

struct AccountOptions;
class Settings;

// Where an OAuth2 account signs in: the provider's endpoints and scopes, and the POP3 server
// that takes its tokens. The presets hold what the providers publish; "other" takes the
// account's own endpoints. Client ids are never made up: each comes from the Preferences
// (config.ini) or, for packagers, from the build (MAILWEIR_OAUTH_CLIENT_ID_<PRESET>).
struct OAuthProvider {
    QString preset;
    QString authorizeUrl;
    QString tokenUrl;
    QString scope; // blank-separated
    QString popHost;
    int popPort = 0;

    // The presets in the order the accounts editor offers them, "other" last.
    static QStringList presets();
    static OAuthProvider of(const AccountOptions& options);
    // The client id for the preset: the setting when there is one, else the build's.
    static QString clientId(const Settings& settings, const QString& preset);
};
