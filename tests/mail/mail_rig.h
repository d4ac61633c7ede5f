#pragma once

#include "mail/mail_runs.h"
#include "mail/qt_socket_control.h"
#include "mail/qt_wait_clock.h"
#include "mail/recording_observer.h"
#include "review/message_table.h"
#include "store/global.h"
#include "support/fake_pop3_server.h"
#include "support/fake_socket.h"
#include "support/manual_clock.h"
#include "support/scripted_platform.h"
#include "support/temp_home.h"

// The servers a run meets: one that refuses CAPA, one that lists no PIPELINING, one that does.
inline const QList<std::pair<const char*, QList<QByteArray>>> ServerKinds = {
    {"no CAPA", {}}, {"no PIPELINING", {"TOP", "UIDL"}}, {"PIPELINING", {"UIDL", "PIPELINING"}}};

inline const QString Tip = QStringLiteral(
    "Click in Action column: Blank --> D (delete)--> B (blacklist) --> W (whitelist)");

// Small messages told apart by their number; those numbered 1 to 9 are all the same size.
inline QByteArray numberedMessage(int number) {
    const QByteArray n = QByteArray::number(number);
    return "From: a" + n + "@example.org\r\nSubject: s" + n + "\r\n\r\nHello\r\n";
}
// A sample message of tests/data/processing.
inline QByteArray sample(const char* name) {
    return testData(QStringLiteral("processing/") + QLatin1String(name));
}

// Sets the From and IP of row r and the action and reason it shows.
inline void markRow(MessageTable& table, int r, const QString& action, const QString& from = {},
                    const QString& reason = {}, const QString& ip = {}) {
    table.setCell(r, col::From, from);
    table.setCell(r, col::IP, ip);
    table.ColourRow(action, r, colour::White, reason);
}

inline QList<QByteArray> numberedMessages(int count) {
    QList<QByteArray> all;
    for (int n = 1; n <= count; ++n)
        all.append(numberedMessage(n));
    return all;
}

// What Get mail writes for an account it reads to the end.
inline QStringList accountLines(const QString& name, int found) {
    return {QStringLiteral("Connect to ") + name, QStringLiteral("Found %1 emails").arg(found),
            QStringLiteral("Checking messages for spam"), QStringLiteral("Close connection")};
}

// Everything the mail runs work with, in a temporary data folder, over a socket and a clock.
template <class Socket, class Clock> struct MailDesk {
    Socket socket;
    Clock clock;
    TempHome home;
    Global global;
    ScriptedPlatform platform;
    MessageTable table;
    RecordingObserver observer;
    TextPane& pane = observer.pane;
    MailRuns runs{socket, clock, platform, global, table, observer};
    Pop3Channel& channel = runs.channel();
    RetrievalRun& retrieval = runs.retrieval();
    ProcessingRun& processing = runs.processing();
    LargeMailRun& largeMail = runs.largeMail();
    void quickCheck() { runs.quickCheck().ActionsQuickCheck_Click(); }

    MailDesk() {
        global.setUpDataFolder(home.documents());
        global.loadAll();
    }
    // Account "Name" logs in as "name" with password "name-pw".
    void addAccount(const QString& name, const QString& server, int port, bool enabled) {
        Account& account = global.accounts.row(global.accounts.count() + 1);
        account.AccountName = name;
        account.MailServer = server;
        account.Username = name.toLower();
        account.AccountPassword = name.toLower() + QStringLiteral("-pw");
        account.Port = QString::number(port);
        account.Enabled = enabled ? QStringLiteral("1") : QString();
    }
    QStringList lines() const {
        QStringList all = pane.text().split(QStringLiteral("\r\n"));
        all.removeLast();
        return all;
    }
    QStringList row(int r) const {
        return {table.cell(r, col::Account), table.cell(r, col::Size), table.cell(r, col::Bytes),
                table.cell(r, col::N), table.cell(r, col::File)};
    }
    // A file below the data folder.
    QByteArray file(const QString& name) const {
        return home.read(QStringLiteral("Documents/Spam/") + name);
    }
    void write(const QString& name, const QByteArray& bytes) const {
        home.write(QStringLiteral("Documents/Spam/") + name, bytes);
    }
};

// A desk whose accounts are fake mailboxes: each account's MailServer names its mailbox, and
// answers arrive at the next yield of a clock moved by hand, so time-outs pass at once.
struct FakeDesk : MailDesk<FakeSocket, ManualClock> {
    QByteArray greeting = "+OK ready\r\n";
    QList<QByteArray> capabilities; // given to every mailbox added after
    bool byteByByte = false;        // every answer arrives one byte at a time
    QHash<QString, FakeMailbox> mailboxes;
    QHash<QString, QList<QByteArray>> received; // command lines by mailbox
    // Answers by mailbox and command: "A DELE 1"; "A greeting" is the greeting of mailbox A.
    QHash<QByteArray, QByteArray> overrides;
    // Done during the wait for a command (or the greeting), which then gets no answer.
    QHash<QByteArray, std::function<void()>> instead;

    FakeDesk() {
        socket.onConnect = [this] {
            // One session at a time: a new connection ends the one before.
            for (FakeMailbox& mailbox : mailboxes)
                mailbox.endSession();
            respond(socket.host.toLatin1() + " greeting", [this] { return greeting; });
        };
        socket.onSend = [this](const QByteArray& sent) { answer(sent.chopped(2)); };
    }
    void addMailbox(const QString& name, const QList<QByteArray>& mail, bool enabled = true) {
        addAccount(name, name, 110, enabled);
        mailboxes[name].messages = mail;
        mailboxes[name].capabilities = capabilities;
    }
    void serve(const QByteArray& bytes) {
        for (qsizetype at = 0, piece = byteByByte ? 1 : bytes.size(); at < bytes.size();
             at += piece)
            onThisConnection([this, part = bytes.mid(at, piece)] { socket.arrive(part); });
    }
    // Done at the next yield, unless the connection is closed by then: a closed connection
    // receives nothing more, and a new one nothing of the old.
    void onThisConnection(const std::function<void()>& done) {
        clock.atNextYield([this, done, connection = socket.connects] {
            if (connection == socket.connects && socket.State() != SocketControl::Closed)
                done();
        });
    }
    void answer(const QByteArray& command) {
        received[socket.host].append(command);
        const bool answered = respond(socket.host.toLatin1() + ' ' + command,
                                      [&] { return mailboxes[socket.host].answer(command); });
        if (answered && FakeMailbox::isQuit(command))
            onThisConnection([this] { socket.serverCloses(); });
    }
    // What `key` is scripted to get, or else its answer (asked only then, so an overridden DELE
    // or QUIT changes nothing in the mailbox). False when something else was done instead.
    bool respond(const QByteArray& key, const std::function<QByteArray()>& answerOf) {
        if (instead.contains(key)) {
            clock.atNextYield(instead.value(key));
            return false;
        }
        serve(overrides.contains(key) ? overrides.value(key) : answerOf());
        return true;
    }
};

// A desk on the program's own socket and clock, for real servers.
using LiveDesk = MailDesk<QtSocketControl, QtWaitClock>;
