// Get mail against a private Dovecot next to a plain blocking client doing the same STAT,
// LIST n, RETR n exchanges (with and without saving each message to a file of its own, as Get
// mail must), and the CPU time of a wait with nothing arriving. Prints figures.
#include "mail/mail_runs.h"
#include "mail/qt_socket_control.h"
#include "mail/qt_wait_clock.h"
#include "mail/recording_observer.h"
#include "review/message_table.h"
#include "store/global.h"
#include "support/dovecot_fixture.h"
#include "support/scripted_platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int MessageCount = 2000;
constexpr int MessageSize = 2048;
constexpr double IdleWaitSeconds = 20;
constexpr int Rounds = 3; // alternating; the best of each is reported

QByteArray message(int n) {
    QByteArray text = "From: sender" + QByteArray::number(n) +
                      "@example.org\r\nTo: bench@example.net\r\nSubject: Message " +
                      QByteArray::number(n) + "\r\n\r\n";
    while (text.size() < MessageSize - 80)
        text += "The quick brown fox jumps over the lazy dog, again and again and again.\r\n";
    return text;
}

// Reads from a blocking socket until `done` holds for what has arrived.
bool readUntil(QTcpSocket& socket, QByteArray& reply, bool (*done)(const QByteArray&)) {
    reply.clear();
    while (!done(reply)) {
        if (!socket.waitForReadyRead(10000))
            return false;
        reply += socket.readAll();
    }
    return true;
}

bool lineDone(const QByteArray& reply) {
    return reply.endsWith("\r\n");
}
bool retrDone(const QByteArray& reply) {
    return reply.contains("\n.\r\n");
}

bool command(QTcpSocket& socket, const QByteArray& text, QByteArray& reply,
             bool (*done)(const QByteArray&) = lineDone) {
    socket.write(text + "\r\n");
    return readUntil(socket, reply, done);
}

// Saves a RETR reply as the program does, one new file per message.
bool save(const QString& folder, int n, const QByteArray& reply) {
    QFile file(folder + QStringLiteral("/email%1.eml").arg(n));
    return file.open(QIODevice::WriteOnly) && file.write(reply) == reply.size();
}

// The plain client, saving each message into `folder` unless it is empty: returns the seconds
// taken, or a negative number on failure.
double plainClient(quint16 port, const QString& folder) {
    QElapsedTimer timer;
    timer.start();
    QTcpSocket socket;
    socket.connectToHost(DovecotFixture::host(), port);
    QByteArray reply;
    if (!socket.waitForConnected(10000) || !readUntil(socket, reply, lineDone) ||
        !command(socket, "USER bench", reply) || !command(socket, "PASS bench-pw", reply) ||
        !command(socket, "STAT", reply))
        return -1;
    const int count = reply.split(' ').value(1).toInt();
    for (int n = 1; n <= count; ++n)
        if (!command(socket, "LIST " + QByteArray::number(n), reply) ||
            !command(socket, "RETR " + QByteArray::number(n), reply, retrDone) ||
            (!folder.isEmpty() && !save(folder, n, reply)))
            return -1;
    command(socket, "QUIT", reply);
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

struct GetMailTimes {
    double retrieval = -1; // the account pass: GetMail and the close after it
    double whole = -1;     // Command1_Click, the classification pass included
    int rows = 0;
};

GetMailTimes getMail(quint16 port) {
    QTemporaryDir documents;
    Global global;
    global.setUpDataFolder(documents.path());
    global.loadAll();
    Account& account = global.accounts.row(1);
    account.AccountName = QStringLiteral("Bench");
    account.MailServer = DovecotFixture::host();
    account.Username = QStringLiteral("bench");
    account.AccountPassword = QStringLiteral("bench-pw");
    account.Port = QString::number(port);
    account.Enabled = QStringLiteral("1");

    QtSocketControl socket;
    QtWaitClock clock;
    ScriptedPlatform platform;
    MessageTable table;
    RecordingObserver observer;
    MailRuns runs(socket, clock, platform, global, table, observer);
    RetrievalRun& run = runs.retrieval();

    GetMailTimes times;
    QElapsedTimer timer;
    timer.start();
    run.GetMail(1);
    runs.channel().endDialogue();
    times.retrieval = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (runs.channel().failed())
        return {};
    timer.restart();
    run.Command1_Click();
    times.whole = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    times.rows = table.occupiedRows();
    return times;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QList<QByteArray> mail;
    for (int n = 1; n <= MessageCount; ++n)
        mail.append(message(n));
    DovecotFixture server;
    if (const QString error =
            server.start({{QStringLiteral("bench"), QStringLiteral("bench-pw"), mail}});
        !error.isEmpty()) {
        std::fprintf(stderr, "Dovecot could not start: %s\n", qPrintable(error));
        return 1;
    }
    double plain = 0;
    double protocol = 0;
    GetMailTimes ours;
    for (int round = 0; round < Rounds; ++round) {
        const QTemporaryDir folder;
        const double protocolRound = plainClient(server.pop3Port(), QString());
        const double plainRound = plainClient(server.pop3Port(), folder.path());
        const GetMailTimes ourRound = getMail(server.pop3Port());
        if (protocolRound <= 0 || plainRound <= 0 || ourRound.retrieval <= 0) {
            std::fprintf(stderr, "a retrieval failed\n");
            return 1;
        }
        if (round == 0 || protocolRound < protocol)
            protocol = protocolRound;
        if (round == 0 || plainRound < plain)
            plain = plainRound;
        if (round == 0 || ourRound.retrieval < ours.retrieval)
            ours.retrieval = ourRound.retrieval;
        if (round == 0 || ourRound.whole < ours.whole)
            ours = {ours.retrieval, ourRound.whole, ourRound.rows};
    }
    const double protocolRate = MessageCount / protocol;
    const double plainRate = MessageCount / plain;
    const double ourRate = MessageCount / ours.retrieval;
    std::printf("messages: %d of about %d bytes, best of %d rounds\n", MessageCount, MessageSize,
                Rounds);
    std::printf("plain client, no files:   %8.1f messages/s (%.3f s)\n", protocolRate, protocol);
    std::printf("plain client, files:      %8.1f messages/s (%.3f s)\n", plainRate, plain);
    std::printf("Get mail, account pass:   %8.1f messages/s (%.3f s)\n", ourRate, ours.retrieval);
    std::printf("ratio to plain, files (target >= 0.8): %.2f\n", ourRate / plainRate);
    std::printf("ratio to plain, no files:              %.2f\n", ourRate / protocolRate);
    std::printf("Get mail, whole run:      %8.1f messages/s (%.3f s, %d rows, "
                "classification included)\n",
                MessageCount / ours.whole, ours.whole, ours.rows);

    QtWaitClock clock;
    const double cpuBefore = cpuSeconds();
    const double start = clock.now();
    clock.waitUntil([] { return false; }, IdleWaitSeconds);
    std::printf("idle wait of %.0f s:        %.4f s CPU (target < 0.1 s), %.3f s elapsed\n",
                IdleWaitSeconds, cpuSeconds() - cpuBefore, clock.now() - start);
    return 0;
}
