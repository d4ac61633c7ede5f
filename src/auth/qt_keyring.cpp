#include "auth/qt_keyring.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("Mailweir");

// Runs a job to its end. The keyring answers over D-Bus within moments (or at once with an
// error when there is none); the user may be asked to unlock it meanwhile, so the wait has no
// time-out of its own.
QKeychain::Error run(QKeychain::Job& job, const QString& key) {
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.setKey(key);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    return job.error();
}

} // namespace

Keyring::Read QtKeyring::read(const QString& key) {
    QKeychain::ReadPasswordJob job(Service);
    switch (run(job, key)) {
    case QKeychain::NoError:
        return {Status::Found, job.textData()};
    case QKeychain::EntryNotFound:
        return {Status::Missing, {}};
    default:
        return {Status::Unavailable, {}};
    }
}

bool QtKeyring::write(const QString& key, const QString& secret) {
    QKeychain::WritePasswordJob job(Service);
    job.setTextData(secret);
    return run(job, key) != QKeychain::NoError;
}

void QtKeyring::remove(const QString& key) {
    QKeychain::DeletePasswordJob job(Service);
    run(job, key);
}
