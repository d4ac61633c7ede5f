#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// One mailbox of the private server: a user, a password and the messages waiting for it, each
// the raw bytes of a message with its lines ended by CR LF.
struct MailboxUser {
    QString name;
    QString password;
    QList<QByteArray> messages;
};

// A private Dovecot POP3 server for end-to-end runs, the demo and the benchmark: its own
// configuration, certificates (a CA made for the occasion and a server certificate for
// 127.0.0.1 and localhost signed by it), passwd-file users and Maildirs in a temporary folder,
// listening on free ports of 127.0.0.1 for plain POP3 (offering STLS) and POP3S, or for plain
// POP3 alone. Runs unprivileged: as the current user, or as "nobody" when started by root. Needs
// only QtCore and QtNetwork.
class DovecotFixture {
public:
    static constexpr auto Program = "/usr/sbin/dovecot";
    enum class Encryption { Offered, None };

    DovecotFixture() = default;
    ~DovecotFixture() { stop(); }
    DovecotFixture(const DovecotFixture&) = delete;
    DovecotFixture& operator=(const DovecotFixture&) = delete;

    // Before start: sign-in also with OAuth2 tokens through `mechanism` ("xoauth2" or
    // "oauthbearer"), which the server checks at the provider's introspection endpoint.
    void setOAuth2(const QString& mechanism, const QString& introspectionUrl) {
        oauthMechanism_ = mechanism;
        introspectionUrl_ = introspectionUrl;
    }
    // Starts the server with these mailboxes. Returns "" once it greets on its plain port, or
    // what went wrong (the server's log included).
    QString start(const QList<MailboxUser>& users, Encryption encryption = Encryption::Offered);
    // Stops the server by its process id and waits for it to end.
    void stop();

    static QString host() { return QStringLiteral("127.0.0.1"); }
    quint16 pop3Port() const { return pop3Port_; }
    quint16 pop3sPort() const { return pop3sPort_; }
    // The PEM file of the CA that signed the server's certificate.
    QString caCertificateFile() const;
    // New mail for a user while the server runs: the messages follow those it holds.
    QString deliver(const QString& user, const QList<QByteArray>& messages);
    // The messages a user's Maildir holds now, sorted by their bytes.
    QList<QByteArray> storedMail(const QString& user) const;
    QString log() const;

private:
    QString prepareFolder(const QList<MailboxUser>& users);
    QString makeCertificates();
    QString writeMaildirs(const QList<MailboxUser>& users) const;
    QString writeConfig() const;
    QString launch();
    QString waitForGreeting();
    QString path(const QString& name) const;

    std::unique_ptr<QTemporaryDir> dir_;
    QProcess process_;
    quint16 pop3Port_ = 0;
    quint16 pop3sPort_ = 0; // 0 without encryption
    Encryption encryption_ = Encryption::Offered;
    QString oauthMechanism_;
    QString introspectionUrl_;
};
