// Get mail and Process against a private Dovecot, on the loopback and behind a proxy that delays
// each direction by half a round trip, next to a plain client that sends one command at a time.
// Each is set against a bound: the time the reply bytes alone take through the proxy, plus one
// round trip for every step that cannot overlap another. Prints figures.
#include "delay_proxy.h"
#include "pop3_peers.h"
#include "support/dovecot_fixture.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int MessageSize = 2048;
// Steps of a round trip each: connect, greeting, CAPA, USER, PASS, STAT, LIST, the first reply
// of the stream, QUIT. Process does not ask for STAT.
constexpr int GetMailSteps = 9;
constexpr int ProcessSteps = 8;
constexpr double BoundGoal = 1.5;

struct Link {
    const char* name;
    double roundTrip; // seconds; 0 is the loopback without a proxy
    int messages;
};

const Link Links[] = {
    {"loopback", 0, 2000}, {"20 ms round trip", 0.020, 200}, {"100 ms round trip", 0.100, 200}};

// A link's mailboxes: one read by both Get mails, and one for each side's Process, which
// empties it.
QByteArray mailbox(const Link& link, const char* use) {
    return QByteArray(use) + QByteArray::number(static_cast<int>(link.roundTrip * 1000));
}

QList<MailboxUser> mailboxes() {
    QList<MailboxUser> users;
    for (const Link& link : Links) {
        QList<QByteArray> mail;
        for (int n = 1; n <= link.messages; ++n)
            mail.append(benchMessage(n, MessageSize));
        for (const char* use : {"get", "ours", "plain"})
            users.append(
                {QString::fromLatin1(mailbox(link, use)), QStringLiteral("bench-pw"), mail});
    }
    return users;
}

void print(const char* run, double ours, double plainClient, double bound, bool loopback) {
    std::printf("  %-9s program %7.3f s   plain client %7.3f s (%5.1fx the program)   "
                "bound %7.3f s, program/bound %.2f",
                run, ours, plainClient, plainClient / ours, bound, ours / bound);
    if (!loopback)
        std::printf(" (goal <= %.1f)", BoundGoal);
    std::printf("\n");
}

// Each timed run starts with nothing of an earlier one still waiting to be written: the
// thousands of files a run leaves behind would otherwise reach the disk while the next one is
// timed, and whichever came second would pay for them.
template <class Run> double settledRun(Run run) {
    ::sync();
    return run();
}

// False when a run failed.
bool measure(const Link& link, quint16 serverPort) {
    const DelayProxy delayed(serverPort, link.roundTrip);
    const DelayProxy direct(serverPort, 0);
    const bool loopback = link.roundTrip == 0;
    const quint16 port = loopback ? serverPort : delayed.port();
    const QByteArray get = mailbox(link, "get");

    const double getBytes = plain::burst(direct.port(), get, "RETR", link.messages, true);
    const double processBytes = plain::burst(direct.port(), get, "LIST", link.messages, false);
    const QTemporaryDir folder;
    const double plainGet = settledRun([&] { return plain::getMail(port, get, folder.path()); });
    BenchProgram reader(QString::fromLatin1(get));
    reader.setPort(port);
    const double ourGet = settledRun([&] { return reader.getMail(); });

    const double plainProcess =
        settledRun([&] { return plain::process(port, mailbox(link, "plain")); });
    BenchProgram deleter(QString::fromLatin1(mailbox(link, "ours")));
    deleter.setPort(serverPort);
    const bool listed = deleter.getMail() > 0 && deleter.rows() == link.messages;
    deleter.setPort(port);
    const double ourProcess = listed ? settledRun([&] { return deleter.process(); }) : -1;

    for (double figure : {getBytes, processBytes, plainGet, ourGet, plainProcess, ourProcess})
        if (figure <= 0)
            return false;
    std::printf("%s, %d messages of about %d bytes (%d rows):\n", link.name, link.messages,
                MessageSize, reader.rows());
    print("Get mail", ourGet, plainGet, getBytes + GetMailSteps * link.roundTrip, loopback);
    print("Process", ourProcess, plainProcess, processBytes + ProcessSteps * link.roundTrip,
          loopback);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    DovecotFixture server;
    // In the clear, as the plain peer speaks.
    if (const QString error = server.start(mailboxes(), DovecotFixture::Encryption::None);
        !error.isEmpty()) {
        std::fprintf(stderr, "Dovecot could not start: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("bound: reply bytes through the proxy at no delay, plus a round trip each for "
                "%d steps (Get mail) or %d (Process)\n",
                GetMailSteps, ProcessSteps);
    for (const Link& link : Links)
        if (!measure(link, server.pop3Port())) {
            std::fprintf(stderr, "a run failed on the %s\n", link.name);
            return 1;
        }
    return 0;
}
