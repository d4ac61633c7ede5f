#include "pop3_peers.h"

#include "store/action_code.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>

namespace {

const QString Host = QStringLiteral("127.0.0.1");
const QByteArray Password = "bench-pw";
const QByteArray LineEnd = "\r\n";
const QByteArray MultiLineEnd = "\r\n.\r\n";
constexpr int ReplyTimeoutMs = 60000;

double seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// Reads from a blocking socket until `done` holds for what has arrived.
bool readUntil(QTcpSocket& socket, QByteArray& reply, bool (*done)(const QByteArray&)) {
    reply.clear();
    while (!done(reply)) {
        if (!socket.waitForReadyRead(ReplyTimeoutMs))
            return false;
        reply += socket.readAll();
    }
    return true;
}

bool lineDone(const QByteArray& reply) {
    return reply.endsWith(LineEnd);
}
bool multiLineDone(const QByteArray& reply) {
    return reply.contains(MultiLineEnd);
}

bool command(QTcpSocket& socket, const QByteArray& text, QByteArray& reply,
             bool (*done)(const QByteArray&) = lineDone) {
    socket.write(text + LineEnd);
    return readUntil(socket, reply, done);
}

// Saves a RETR reply as the program does, one new file per message.
bool save(const QString& folder, int n, const QByteArray& reply) {
    QFile file(folder + QStringLiteral("/email%1.eml").arg(n));
    return file.open(QIODevice::WriteOnly) && file.write(reply) == reply.size();
}

// Connects, reads the greeting and logs in; with `stat`, returns the message count, otherwise 0;
// negative on failure.
int logIn(QTcpSocket& socket, quint16 port, const QByteArray& user, bool stat) {
    socket.connectToHost(Host, port);
    QByteArray reply;
    if (!socket.waitForConnected(ReplyTimeoutMs) || !readUntil(socket, reply, lineDone) ||
        !command(socket, "USER " + user, reply) || !command(socket, "PASS " + Password, reply) ||
        (stat && !command(socket, "STAT", reply)))
        return -1;
    return stat ? reply.split(' ').value(1).toInt() : 0;
}

// Runs `step` for every message between STAT and QUIT.
template <typename Step> double eachMessage(quint16 port, const QByteArray& user, Step step) {
    QElapsedTimer timer;
    timer.start();
    QTcpSocket socket;
    const int count = logIn(socket, port, user, true);
    if (count < 0)
        return -1;
    for (int n = 1; n <= count; ++n)
        if (!step(socket, n))
            return -1;
    QByteArray reply;
    if (!command(socket, "QUIT", reply))
        return -1;
    return seconds(timer);
}

} // namespace

QByteArray benchMessage(int n, int size) {
    QByteArray text = "From: sender" + QByteArray::number(n) +
                      "@example.org\r\nTo: bench@example.net\r\nSubject: Message " +
                      QByteArray::number(n) + "\r\n\r\n";
    while (text.size() < size - 80)
        text += "The quick brown fox jumps over the lazy dog, again and again and again.\r\n";
    return text;
}

QByteArray withCrLf(QByteArray message) {
    return message.replace("\r\n", "\n").replace("\n", "\r\n");
}

double plain::getMail(quint16 port, const QByteArray& user, const QString& folder) {
    return eachMessage(port, user, [&folder](QTcpSocket& socket, int n) {
        QByteArray reply;
        return command(socket, "LIST " + QByteArray::number(n), reply) &&
               command(socket, "RETR " + QByteArray::number(n), reply, multiLineDone) &&
               (folder.isEmpty() || save(folder, n, reply));
    });
}

double plain::process(quint16 port, const QByteArray& user) {
    return eachMessage(port, user, [](QTcpSocket& socket, int n) {
        QByteArray reply;
        return command(socket, "LIST " + QByteArray::number(n), reply) &&
               command(socket, "DELE " + QByteArray::number(n), reply);
    });
}

double plain::burst(quint16 port, const QByteArray& user, const QByteArray& command, int count,
                    bool multiLine) {
    QTcpSocket socket;
    if (logIn(socket, port, user, false) < 0)
        return -1;
    QByteArray commands;
    for (int n = 1; n <= count; ++n)
        commands += command + ' ' + QByteArray::number(n) + LineEnd;
    QElapsedTimer timer;
    timer.start();
    socket.write(commands);
    const QByteArray& end = multiLine ? MultiLineEnd : LineEnd;
    QByteArray replies;
    while (replies.count(end) < count) {
        if (!socket.waitForReadyRead(ReplyTimeoutMs))
            return -1;
        replies += socket.readAll();
    }
    const double taken = seconds(timer);
    socket.write("QUIT" + LineEnd);
    socket.waitForDisconnected(ReplyTimeoutMs);
    return taken;
}

BenchProgram::BenchProgram(const QString& user)
    : runs(socket, clock, platform, global, table, observer) {
    global.setUpDataFolder(documents.path());
    global.loadAll();
    global.settings[setting::SafeDeletion] = QStringLiteral("1");
    Account& account = global.accounts.row(1);
    account.AccountName = QStringLiteral("Bench");
    account.MailServer = Host;
    account.Username = user;
    account.AccountPassword = QString::fromLatin1(Password);
    account.Enabled = QStringLiteral("1");
}

void BenchProgram::setPort(quint16 port) {
    global.accounts.row(1).Port = QString::number(port);
}

double BenchProgram::timed(void (BenchProgram::*pass)()) {
    QElapsedTimer timer;
    timer.start();
    (this->*pass)();
    runs.channel().endDialogue();
    return runs.channel().failed() ? -1 : seconds(timer);
}

double BenchProgram::getMail() {
    return timed(&BenchProgram::getMailPass);
}

double BenchProgram::process() {
    for (int r = 1; table.isOccupied(r); ++r)
        table.setCell(r, col::Action, action::Delete);
    return timed(&BenchProgram::processPass);
}

double BenchProgram::wholeGetMail() {
    QElapsedTimer timer;
    timer.start();
    runs.retrieval().Command1_Click();
    return seconds(timer);
}

void BenchProgram::setLearning(bool on) {
    global.settings[setting::UseLearning] = on ? QStringLiteral("1") : QStringLiteral("0");
}

void BenchProgram::getMailPass() {
    runs.retrieval().GetMail(1);
}

void BenchProgram::processPass() {
    runs.processing().DeleteMail(1);
}
