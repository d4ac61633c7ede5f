// Get mail against a private Dovecot next to a plain blocking client doing the same STAT,
// LIST n, RETR n exchanges (with and without saving each message to a file of its own, as Get
// mail must), and the CPU time of a wait with nothing arriving. Prints figures.
// Usage: bench_retrieval [DIR]. The mailbox holds 2000 made-up messages of 2 KB, or with DIR
// the first 2000 files of a folder of real mail, one message a file (DIR/ham of
// bench/fetch_corpus.sh, say): encoded, multipart, of every size.
#include "learn/mail_folder.h"
#include "mail/qt_wait_clock.h"
#include "pop3_peers.h"
#include "servers/dovecot_fixture.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int MessageCount = 2000;
constexpr int MessageSize = 2048;
constexpr double IdleWaitSeconds = 20;
constexpr int Rounds = 3; // alternating; the best of each is reported

struct GetMailTimes {
    double retrieval = -1; // the account pass: GetMail and the close after it
    double whole = -1;     // Command1_Click, the classification pass included
    int rows = 0;
};

GetMailTimes getMail(quint16 port) {
    BenchProgram program(QStringLiteral("bench"));
    program.setPort(port);
    // As before there was a learning engine to ask; bench_learning times what it adds.
    program.setLearning(false);
    GetMailTimes times;
    times.retrieval = program.getMail();
    if (times.retrieval < 0)
        return {};
    times.whole = program.wholeGetMail();
    times.rows = program.rows();
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
    if (argc > 1) {
        for (const QByteArray& message :
             learn::readMailFolder(QString::fromLocal8Bit(argv[1])).mid(0, MessageCount))
            mail.append(withCrLf(message));
    } else {
        for (int n = 1; n <= MessageCount; ++n)
            mail.append(benchMessage(n, MessageSize));
    }
    if (mail.isEmpty()) {
        std::fprintf(stderr, "no messages in %s\n", argv[1]);
        return 1;
    }
    qint64 bytes = 0;
    for (const QByteArray& message : mail)
        bytes += message.size();
    DovecotFixture server;
    if (const QString error =
            server.start({{QStringLiteral("bench"), QStringLiteral("bench-pw"), mail}},
                         DovecotFixture::Encryption::None); // the peer speaks in the clear too
        !error.isEmpty()) {
        std::fprintf(stderr, "Dovecot could not start: %s\n", qPrintable(error));
        return 1;
    }
    double plain = 0;
    double protocol = 0;
    GetMailTimes ours;
    for (int round = 0; round < Rounds; ++round) {
        const QTemporaryDir folder;
        const double protocolRound = plain::getMail(server.pop3Port(), "bench", QString());
        const double plainRound = plain::getMail(server.pop3Port(), "bench", folder.path());
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
    const auto count = static_cast<double>(mail.size());
    const double protocolRate = count / protocol;
    const double plainRate = count / plain;
    const double ourRate = count / ours.retrieval;
    std::printf("messages: %.0f of %.0f bytes on average, best of %d rounds\n", count,
                static_cast<double>(bytes) / count, Rounds);
    std::printf("plain client, no files:   %8.1f messages/s (%.3f s)\n", protocolRate, protocol);
    std::printf("plain client, files:      %8.1f messages/s (%.3f s)\n", plainRate, plain);
    std::printf("Get mail, account pass:   %8.1f messages/s (%.3f s)\n", ourRate, ours.retrieval);
    std::printf("ratio to plain, files (target >= 0.8): %.2f\n", ourRate / plainRate);
    std::printf("ratio to plain, no files:              %.2f\n", ourRate / protocolRate);
    std::printf("Get mail, whole run:      %8.1f messages/s (%.3f s, %d rows, "
                "classification included)\n",
                count / ours.whole, ours.whole, ours.rows);

    QtWaitClock clock;
    const double cpuBefore = cpuSeconds();
    const double start = clock.now();
    clock.waitUntil([] { return false; }, IdleWaitSeconds);
    std::printf("idle wait of %.0f s:        %.4f s CPU (target < 0.1 s), %.3f s elapsed\n",
                IdleWaitSeconds, cpuSeconds() - cpuBefore, clock.now() - start);
    return 0;
}
