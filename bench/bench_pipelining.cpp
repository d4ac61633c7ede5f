// Get mail and Process against a private Dovecot, on the loopback and behind a proxy that delays
// each direction by half a round trip, next to a plain client that sends one command at a time.
// Each is set against a bound: the time the reply bytes alone take through the proxy, plus one
// round trip for every step that cannot overlap another. Prints figures.
#include "delay_proxy.h"
#include "pop3_peers.h"
#include "servers/dovecot_fixture.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int MessageSize = 2048;
// Steps of a round trip each: connect, greeting, CAPA, USER, PASS, STAT, LIST, the first reply
// of the stream, QUIT. Process does not ask for STAT.
constexpr int GetMailSteps = 9;
constexpr int ProcessSteps = 8;
constexpr double BoundGoal = 1.5;
// The program's runs are timed this often and the median is set against the bound: on a shared
// machine the time to create a file varies many times over from one moment to the next, and one
// slow moment should not pass for the program's speed. The plain client runs once.
constexpr int RoundCount = 3;

struct Link {
    const char* name;
    double roundTrip; // seconds; 0 is the loopback without a proxy
    int messages;
};

const Link Links[] = {
    {"loopback", 0, 2000}, {"20 ms round trip", 0.020, 200}, {"100 ms round trip", 0.100, 200}};

// A link's mailboxes: one read by every Get mail, and one for each Process, which empties it:
// "plain" for the plain client's, "ours1" and on for the program's rounds.
QByteArray mailbox(const Link& link, const QByteArray& use) {
    return use + '-' + QByteArray::number(static_cast<int>(link.roundTrip * 1000));
}
QByteArray ourProcessMailbox(const Link& link, int round) {
    return mailbox(link, "ours" + QByteArray::number(round));
}

QList<MailboxUser> mailboxes() {
    QList<MailboxUser> users;
    for (const Link& link : Links) {
        QList<QByteArray> mail;
        for (int n = 1; n <= link.messages; ++n)
            mail.append(benchMessage(n, MessageSize));
        QList<QByteArray> uses{mailbox(link, "get"), mailbox(link, "plain")};
        for (int round = 1; round <= RoundCount; ++round)
            uses.append(ourProcessMailbox(link, round));
        for (const QByteArray& use : uses)
            users.append({QString::fromLatin1(use), QStringLiteral("bench-pw"), mail});
    }
    return users;
}

// The seconds of the program's rounds of one run, fastest first; a failed round counts as
// negative.
struct RoundTimes {
    QList<double> seconds;
    void add(double round) {
        seconds.insert(std::lower_bound(seconds.begin(), seconds.end(), round), round);
    }
    double median() const { return seconds[seconds.size() / 2]; }
    bool failed() const { return seconds.first() <= 0; }
};

void print(const char* run, const RoundTimes& ours, double plainClient, double bound,
           bool loopback) {
    const double median = ours.median();
    std::printf("  %-9s program %7.3f s (%.3f to %.3f)   plain client %7.3f s (%5.1fx the "
                "program)   bound %7.3f s, program/bound %.2f",
                run, median, ours.seconds.first(), ours.seconds.last(), plainClient,
                plainClient / median, bound, median / bound);
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
    const double plainProcess =
        settledRun([&] { return plain::process(port, mailbox(link, "plain")); });
    RoundTimes ourGet, ourProcess;
    int rows = 0;
    for (int round = 1; round <= RoundCount; ++round) {
        BenchProgram reader(QString::fromLatin1(get));
        reader.setPort(port);
        ourGet.add(settledRun([&] { return reader.getMail(); }));
        rows = reader.rows();
        BenchProgram deleter(QString::fromLatin1(ourProcessMailbox(link, round)));
        deleter.setPort(serverPort);
        const bool listed = deleter.getMail() > 0 && deleter.rows() == link.messages;
        deleter.setPort(port);
        ourProcess.add(listed ? settledRun([&] { return deleter.process(); }) : -1);
    }

    for (double figure : {getBytes, processBytes, plainGet, plainProcess})
        if (figure <= 0)
            return false;
    if (ourGet.failed() || ourProcess.failed())
        return false;
    std::printf("%s, %d messages of about %d bytes (%d rows):\n", link.name, link.messages,
                MessageSize, rows);
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
