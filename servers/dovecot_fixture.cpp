#include "servers/dovecot_fixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr int StartAttempts = 3;
constexpr int GreetingWaitMs = 15000;
constexpr int StopWaitMs = 5000;
constexpr int ToolWaitMs = 30000;

// Who the server runs as: the current user, or "nobody" for root (Dovecot refuses to run its
// login processes as root, and a user of its own would need the system's configuration).
struct Identity {
    uid_t uid = 0;
    gid_t gid = 0;
    QString user;
    QString group;
};

Identity serverIdentity() {
    const passwd* account = geteuid() == 0 ? getpwnam("nobody") : getpwuid(geteuid());
    if (!account)
        return {};
    const QString user = QString::fromLocal8Bit(account->pw_name);
    const group* primary = getgrgid(account->pw_gid);
    return {account->pw_uid, account->pw_gid, user,
            primary ? QString::fromLocal8Bit(primary->gr_name) : user};
}

bool writeFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs a tool to its end; returns "" or what went wrong.
QString runTool(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess tool;
    tool.setWorkingDirectory(folder);
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    if (!tool.waitForFinished(ToolWaitMs) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0)
        return program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(tool.readAll());
    return QString();
}

// Two ports that nothing listens on now; both are held open together so they differ.
QList<quint16> freePorts(int count) {
    QList<std::shared_ptr<QTcpServer>> servers;
    QList<quint16> ports;
    for (int i = 0; i < count; ++i) {
        auto server = std::make_shared<QTcpServer>();
        server->listen(QHostAddress::LocalHost, 0);
        ports.append(server->serverPort());
        servers.append(server);
    }
    return ports;
}

void chownTree(const QString& root, const Identity& identity) {
    if (chown(QFile::encodeName(root).constData(), identity.uid, identity.gid) != 0)
        return;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QByteArray name = QFile::encodeName(it.next());
        if (chown(name.constData(), identity.uid, identity.gid) != 0)
            return; // the server's log will say what it could not open
    }
}

// Maildir names whose time part orders the messages, so the server numbers them as given.
QString maildirName(int index) {
    return QStringLiteral("%1.M%2P1.mailweir:2,").arg(1000000000 + index).arg(index);
}

const char* const ConfigTemplate = R"(protocols = pop3
listen = 127.0.0.1
base_dir = %1/run
state_dir = %1/state
log_path = %1/dovecot.log
default_internal_user = %2
default_internal_group = %3
default_login_user = %2
first_valid_uid = %4
first_valid_gid = %5
@TLS@
disable_plaintext_auth = no
auth_failure_delay = 0
auth_mechanisms = plain @MECHANISMS@
@OAUTH2@passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u %1/passwd
}
userdb {
  driver = passwd-file
  args = username_format=%u %1/passwd
}
mail_location = maildir:%1/mail/%u
pop3_uidl_format = %08Xu%08Xv
service pop3-login {
  chroot =
  inet_listener pop3 {
    address = 127.0.0.1
    port = %6
  }
@POP3S@
}
service anvil {
  chroot =
}
)";

// Tokens are checked at the provider's introspection endpoint (RFC 7662).
const char* const OAuth2Passdb = R"(passdb {
  driver = oauth2
  mechanisms = xoauth2 oauthbearer
  args = %1/oauth2.conf
}
)";
const char* const OAuth2Settings = R"(introspection_mode = post
introspection_url = %1
username_attribute = username
active_attribute = active
active_value = true
force_introspection = yes
)";

// With encryption offered: STLS on the plain port, and a POP3S port.
const char* const TlsSettings = R"(ssl = yes
ssl_cert = <%1/server.crt
ssl_key = <%1/server.key)";
const char* const Pop3sListener = R"(  inet_listener pop3s {
    address = 127.0.0.1
    port = %1
    ssl = yes
  })";

} // namespace

QString DovecotFixture::path(const QString& name) const {
    return dir_ ? dir_->filePath(name) : QString();
}

QString DovecotFixture::caCertificateFile() const {
    return path(QStringLiteral("ca.crt"));
}

QString DovecotFixture::log() const {
    return QString::fromLocal8Bit(readFile(path(QStringLiteral("dovecot.log"))));
}

QString DovecotFixture::start(const QList<MailboxUser>& users, Encryption encryption) {
    stop();
    encryption_ = encryption;
    if (!QFile::exists(QString::fromLatin1(Program)))
        return QStringLiteral("Dovecot is not installed (package dovecot-pop3d)");
    if (QString error = prepareFolder(users); !error.isEmpty())
        return error;
    QString error;
    for (int attempt = 0; attempt < StartAttempts; ++attempt) {
        const QList<quint16> ports = freePorts(2);
        pop3Port_ = ports[0];
        pop3sPort_ = encryption_ == Encryption::Offered ? ports[1] : 0;
        error = launch();
        // Another program may have taken a port between our look and the server's bind.
        if (error.isEmpty() || !error.contains(QStringLiteral("Address already in use")))
            return error;
        stop();
    }
    return error;
}

QString DovecotFixture::prepareFolder(const QList<MailboxUser>& users) {
    dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/dovecot-XXXXXX"));
    if (!dir_->isValid())
        return QStringLiteral("cannot create a temporary folder: ") + dir_->errorString();
    for (const char* sub : {"run", "state", "mail"})
        QDir(dir_->path()).mkdir(QString::fromLatin1(sub));
    if (QString error = makeCertificates(); !error.isEmpty())
        return error;
    return writeMaildirs(users);
}

QString DovecotFixture::makeCertificates() {
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty())
        return QStringLiteral("openssl is not installed");
    writeFile(path(QStringLiteral("server.ext")),
              "subjectAltName=IP:127.0.0.1,DNS:localhost\nextendedKeyUsage=serverAuth\n");
    // Each openssl command with its arguments separated by blanks.
    const QString key = QStringLiteral(" -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes");
    const QStringList steps = {
        QStringLiteral("req -x509") + key +
            QStringLiteral(" -keyout ca.key -out ca.crt -days 2 -subj /CN=Mailweir-Test-CA "
                           "-addext basicConstraints=critical,CA:TRUE"),
        QStringLiteral("req") + key +
            QStringLiteral(" -keyout server.key -out server.csr -subj /CN=127.0.0.1"),
        QStringLiteral("x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out "
                       "server.crt -days 2 -extfile server.ext")};
    for (const QString& step : steps)
        if (QString error = runTool(openssl, step.split(QLatin1Char(' ')), dir_->path());
            !error.isEmpty())
            return error;
    return QString();
}

QString DovecotFixture::writeMaildirs(const QList<MailboxUser>& users) const {
    const Identity identity = serverIdentity();
    QByteArray passwd;
    for (const MailboxUser& user : users) {
        const QString home = path(QStringLiteral("mail/") + user.name);
        for (const char* sub : {"cur", "new", "tmp"})
            QDir().mkpath(home + QLatin1Char('/') + QString::fromLatin1(sub));
        for (int i = 0; i < user.messages.size(); ++i)
            if (!writeFile(home + QStringLiteral("/cur/") + maildirName(i + 1), user.messages[i]))
                return QStringLiteral("cannot write the Maildir of ") + user.name;
        passwd += QStringLiteral("%1:{PLAIN}%2:%3:%4::%5::\n")
                      .arg(user.name, user.password)
                      .arg(identity.uid)
                      .arg(identity.gid)
                      .arg(home)
                      .toLocal8Bit();
    }
    if (!writeFile(path(QStringLiteral("passwd")), passwd))
        return QStringLiteral("cannot write the passwd file");
    return QString();
}

QString DovecotFixture::writeConfig() const {
    const Identity identity = serverIdentity();
    if (identity.user.isEmpty())
        return QStringLiteral("no user to run Dovecot as");
    const bool tls = encryption_ == Encryption::Offered;
    const QString config =
        QString::fromLatin1(ConfigTemplate)
            .arg(dir_->path(), identity.user, identity.group)
            .arg(identity.uid)
            .arg(identity.gid)
            .arg(pop3Port_)
            .replace(QStringLiteral("@TLS@"),
                     tls ? QString::fromLatin1(TlsSettings).arg(dir_->path())
                         : QStringLiteral("ssl = no"))
            .replace(QStringLiteral("@POP3S@"),
                     tls ? QString::fromLatin1(Pop3sListener).arg(pop3sPort_) : QString())
            .replace(QStringLiteral("@MECHANISMS@"), oauthMechanism_)
            .replace(QStringLiteral("@OAUTH2@"),
                     oauthMechanism_.isEmpty()
                         ? QString()
                         : QString::fromLatin1(OAuth2Passdb).arg(dir_->path()));
    if (!oauthMechanism_.isEmpty() &&
        !writeFile(path(QStringLiteral("oauth2.conf")),
                   QString::fromLatin1(OAuth2Settings).arg(introspectionUrl_).toLocal8Bit()))
        return QStringLiteral("cannot write the OAuth2 settings");
    if (!writeFile(path(QStringLiteral("dovecot.conf")), config.toLocal8Bit()))
        return QStringLiteral("cannot write the Dovecot configuration");
    if (geteuid() == 0)
        chownTree(dir_->path(), identity);
    return QString();
}

QString DovecotFixture::launch() {
    if (QString error = writeConfig(); !error.isEmpty())
        return error;
    QFile::remove(path(QStringLiteral("run/master.pid")));
    const bool dropPrivileges = geteuid() == 0;
    const Identity identity = serverIdentity();
    const pid_t owner = getpid();
    process_.setChildProcessModifier([dropPrivileges, identity, owner] {
        if (dropPrivileges &&
            (setgroups(0, nullptr) != 0 || setgid(identity.gid) != 0 || setuid(identity.uid) != 0))
            _exit(127);
        // The server ends with its owner, also when the owner is killed. Set after the change
        // of user, which clears it.
        if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != owner)
            _exit(127);
    });
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QString::fromLatin1(Program), {QStringLiteral("-F"), QStringLiteral("-c"),
                                                  path(QStringLiteral("dovecot.conf"))});
    if (!process_.waitForStarted())
        return QStringLiteral("Dovecot did not start: ") + process_.errorString();
    return waitForGreeting();
}

QString DovecotFixture::waitForGreeting() {
    const QDeadlineTimer deadline(GreetingWaitMs);
    while (!deadline.hasExpired()) {
        if (process_.state() == QProcess::NotRunning || process_.waitForFinished(0))
            break;
        QTcpSocket probe;
        probe.connectToHost(host(), pop3Port_);
        if (probe.waitForConnected(500) && probe.waitForReadyRead(2000) &&
            probe.readAll().startsWith("+OK"))
            return QString();
        QThread::msleep(50);
    }
    const QString output = QString::fromLocal8Bit(process_.readAll());
    stop();
    return QStringLiteral("Dovecot did not greet on port %1. Output: %2 Log: %3")
        .arg(pop3Port_)
        .arg(output, log());
}

void DovecotFixture::stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(StopWaitMs)) {
        process_.kill();
        process_.waitForFinished(StopWaitMs);
    }
}

QString DovecotFixture::deliver(const QString& user, const QList<QByteArray>& messages) {
    const QString home = path(QStringLiteral("mail/") + user);
    // Numbered after any message the server could hold, and written to tmp first, as a
    // delivery agent does, so the server never sees half a message.
    static int delivered = 0;
    for (const QByteArray& message : messages) {
        const QString name = maildirName(100000 + ++delivered);
        const QString temporary = home + QStringLiteral("/tmp/") + name;
        if (!writeFile(temporary, message))
            return QStringLiteral("cannot write to the Maildir of ") + user;
        chownTree(temporary, serverIdentity());
        if (!QFile::rename(temporary, home + QStringLiteral("/new/") + name))
            return QStringLiteral("cannot deliver to the Maildir of ") + user;
    }
    return QString();
}

QList<QByteArray> DovecotFixture::storedMail(const QString& user) const {
    QList<QByteArray> mail;
    for (const char* sub : {"/cur", "/new"}) {
        const QDir folder(path(QStringLiteral("mail/") + user + QString::fromLatin1(sub)));
        for (const QString& name : folder.entryList(QDir::Files))
            mail.append(readFile(folder.filePath(name)));
    }
    std::sort(mail.begin(), mail.end());
    return mail;
}
