// Starts a private POP3 server holding the sample mailbox, prepares a temporary home whose data
// folder has one account for it plus the sample lists and rules, runs Mailweir over that home
// and stops the server when Mailweir ends. The user's own data is never touched. A line typed
// (Enter) while Mailweir runs delivers the second batch of sample mail, for a second round.
#include "servers/dovecot_fixture.h"
#include "store/data_files.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

const QString DemoUser = QStringLiteral("demo");
const QString DemoAddress = QStringLiteral("you@mailweir.test");
const QString AccountName = QStringLiteral("Demo mailbox");

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

// The sample messages, in file-name order, with CR LF line ends as a server stores them.
QList<QByteArray> sampleMessages(const QDir& mailbox) {
    QList<QByteArray> messages;
    for (const QString& name :
         mailbox.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name)) {
        QFile file(mailbox.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QByteArray bytes = file.readAll();
        bytes.replace("\r\n", "\n");
        bytes.replace("\n", "\r\n");
        messages.append(bytes);
    }
    return messages;
}

bool copySampleData(const QDir& samples, const QString& dataFolder) {
    bool failed = false;
    for (const QString& name : samples.entryList(QDir::Files))
        failed |= !QFile::copy(samples.filePath(name), dataFolder + QLatin1Char('/') + name);
    return failed;
}

bool writeAccount(const QString& dataFolder, quint16 port) {
    AccountTable accounts;
    Account& demo = accounts.row(1);
    demo.AccountName = AccountName;
    demo.MailServer = DovecotFixture::host();
    demo.Username = DemoUser;
    demo.AccountPassword = DemoUser;
    demo.DateAdded = QDate::currentDate().toString(Qt::ISODate);
    demo.Spare1 = demo.Spare2 = QStringLiteral("0");
    demo.Enabled = QStringLiteral("1");
    demo.Port = QString::number(port);
    demo.EmailAddress = DemoAddress;
    return accounts.save(dataFolder);
}

// The later mail goes to the server at the first line typed on the input.
void deliverOnEnter(QSocketNotifier& input, DovecotFixture& server, QList<QByteArray>& later) {
    QObject::connect(&input, &QSocketNotifier::activated, &input, [&input, &server, &later] {
        QTextStream in(stdin);
        if (in.readLine().isNull())
            input.setEnabled(false); // no more input
        if (later.isEmpty())
            return;
        const QString failure = server.deliver(DemoUser, later);
        out() << (failure.isEmpty() ? QStringLiteral("Delivered %1 more messages").arg(later.size())
                                    : failure)
              << Qt::endl;
        later.clear();
    });
}

int runProgram(const QString& program, const QString& home) {
    QProcess mailweir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // X keeps the display's credentials in the home folder unless XAUTHORITY says otherwise;
    // the program must still reach the display once HOME points elsewhere.
    const QString ownCredentials = QDir::home().filePath(QStringLiteral(".Xauthority"));
    if (!environment.contains(QStringLiteral("XAUTHORITY")) && QFile::exists(ownCredentials))
        environment.insert(QStringLiteral("XAUTHORITY"), ownCredentials);
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    mailweir.setProcessEnvironment(environment);
    mailweir.setProcessChannelMode(QProcess::ForwardedChannels);
    mailweir.start(program, {});
    if (!mailweir.waitForStarted()) {
        out() << "Could not start " << program << ": " << mailweir.errorString() << Qt::endl;
        return 1;
    }
    QObject::connect(&mailweir, &QProcess::finished, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    QCoreApplication::exec();
    return mailweir.exitCode();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        out() << "Usage: mailweir_demo <path of the mailweir program>" << Qt::endl;
        return 2;
    }
    const QDir samples(QStringLiteral(MAILWEIR_DEMO_SAMPLES));
    const QList<QByteArray> messages =
        sampleMessages(QDir(samples.filePath(QStringLiteral("mailbox"))));
    QList<QByteArray> later = sampleMessages(QDir(samples.filePath(QStringLiteral("later"))));

    DovecotFixture server;
    // In the clear: Mailweir would otherwise turn to TLS and find the demo's own CA untrusted.
    const QString failure =
        server.start({{DemoUser, DemoUser, messages}}, DovecotFixture::Encryption::None);
    if (!failure.isEmpty()) {
        out() << "The sample POP3 server did not start:\n" << failure << Qt::endl;
        return 1;
    }
    QTemporaryDir home;
    const QString dataFolder = home.path() + QStringLiteral("/Documents/Spam");
    if (!home.isValid() || !QDir().mkpath(dataFolder) ||
        copySampleData(QDir(samples.filePath(QStringLiteral("data"))), dataFolder) ||
        writeAccount(dataFolder, server.pop3Port())) {
        out() << "Could not prepare the demo's data folder in " << home.path() << Qt::endl;
        return 1;
    }
    out() << "Sample mailbox: " << messages.size() << " messages on " << DovecotFixture::host()
          << ":" << server.pop3Port() << "\nDemo data folder: " << dataFolder
          << "\nPress Enter to deliver " << later.size() << " more messages." << Qt::endl;
    QSocketNotifier input(0, QSocketNotifier::Read);
    deliverOnEnter(input, server, later);
    const int result = runProgram(arguments.at(1), home.path());
    server.stop();
    return result;
}
