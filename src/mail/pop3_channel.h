#pragma once

#include "mail/socket_control.h"
#include "mail/wait_clock.h"

#include <QByteArray>
#include <QHash>
#include <QQueue>
#include <QString>
#include <functional>
#include <optional>

struct Account;
class OAuthTokens;
class Platform;
class QIODevice;
class RunLog;

// The POP3 command channel: opens a connection and waits for the greeting, sends one command
// and waits for its complete reply, collects replies from the socket's events and logs
// progress lines. One dialogue at a time, on the GUI thread.
//
// A dialogue: logIn (or openMailbox), then commands, each tested for failure, then quit;
// afterwards endDialogue. Once a command has failed the dialogue stays failed (failed()) and
// every later command fails too; only the next logIn starts afresh. Routines that can fail
// return true (or nothing) on failure.
//
// After the greeting the channel asks for the server's capabilities (CAPA, RFC 2449), and on a
// plain connection to a server that offers STLS turns to TLS before logging in (the sign-in is
// in pop3_sign_in.cpp). Every reply is
// framed (a status line ends at its CR LF, a multi-line reply at its "." line) and goes to the
// command that asked for it. A server that answers CAPA with an error or does not list
// PIPELINING gets every command sent on its own, after the reply to the one before. On a
// pipelining server commands may be sent ahead: listAll takes every size with one LIST,
// retrAhead announces the RETRs to come, deleAll sends its DELEs together. The replies are
// still taken one by one, in order, by the same calls (list, retr, dele) and the same waits; a
// call out of that order fails the dialogue. The framed reader is in pop3_framing.cpp.
class Pop3Channel : public QObject {
    Q_OBJECT
public:
    // Reply time-outs in seconds.
    static constexpr double CommandTimeout = 10;
    static constexpr double RetrTimeout = 60;
    static constexpr double GreetingTimeout = 20;
    static constexpr double CloseTimeout = 20;
    // Commands sent ahead whose replies have not yet been taken, at most. Enough that a mailbox
    // of a few hundred small messages goes out in one round trip rather than refilling the line
    // reply by reply over several; few enough that the commands in flight (at most 17 bytes
    // each) stay well inside the server's TCP receive window, as RFC 2449 asks.
    static constexpr qsizetype PipelineDepth = 1000;
    // Limits past which a reply is taken for a broken or hostile server's and the account is
    // abandoned with "Error - reply too long". A status line: RFC 2449 allows 512 bytes. A
    // multi-line reply other than RETR's (CAPA, LIST, UIDL): the unique-id listing of a third
    // of a million messages. A RETR: what dot-stuffing can make of the size LIST gave (every
    // line a lone dot doubles it) with a line's margin for servers that count differently.
    static constexpr qsizetype LineLimit = 64 * 1024;
    static constexpr qsizetype TextReplyLimit = 32 * 1024 * 1024;
    static constexpr qint64 retrLimit(qint64 listedSize) { return 2 * listedSize + LineLimit; }

    struct Mailbox {
        qint64 count = 0; // messages waiting
        qint64 sizeK = 0; // their total size in whole k
    };

    Pop3Channel(SocketControl& socket, WaitClock& clock, Platform& platform, RunLog& log,
                QObject* parent = nullptr);

    // Starts a dialogue, connects and signs in (pop3_sign_in.cpp).
    bool logIn(const Account& account);
    // Told when the user has accepted a server certificate by its fingerprint: pins it for the
    // account (the very row logIn was given), whose next connection then takes it.
    std::function<void(const Account& account, const QString& fingerprint)> certificateAccepted;
    // Where the access tokens of OAuth2 accounts come from.
    OAuthTokens* tokens = nullptr;
    // logIn, then STAT.
    std::optional<Mailbox> openMailbox(const Account& account);
    // LIST n: the size in bytes the server gives message n. After listAll, answered from its
    // listing without a command; a number it does not hold fails the dialogue, as the server's
    // error reply to LIST n would.
    std::optional<qint64> list(qint64 n);
    // LIST without a number, on a pipelining server: takes the sizes of every message from one
    // multi-line reply for the list(n) calls of this dialogue, and with them, when asked, the
    // unique ids for the next uniqueIds() call. Elsewhere nothing is sent.
    enum class UniqueIds { Take, Skip };
    bool listAll(UniqueIds ids);
    // The server listed PIPELINING in its CAPA reply in this dialogue.
    bool pipelining() const { return pipelining_; }
    // UIDL without a number: each message's unique id by number. Asked of every server, whether
    // or not its CAPA reply lists UIDL: many that answer UIDL say nothing of it. Nothing when
    // the server refuses it (the dialogue goes on) or fails to answer (failed() tells).
    std::optional<QHash<qint64, QByteArray>> uniqueIds();
    // On a pipelining server: RETR for each of `numbers`, sent ahead of their replies with at
    // most PipelineDepth unanswered; the retr(n) calls that follow, in this order, take their
    // replies. Elsewhere nothing is sent and each retr(n) sends its own RETR.
    void retrAhead(const QList<qint64>& numbers);
    // DELE for each of `numbers`, sent ahead like retrAhead on a pipelining server and one
    // after the other elsewhere; the replies are taken in order up to the first failure.
    bool deleAll(const QList<qint64>& numbers);
    // RETR n of a message LIST gave `listedSize` bytes: the whole reply, status line and
    // closing dot included, goes to `file` as it arrives. A file that is not open for writing
    // fails the dialogue at once rather than after a minute of waiting for an end that could
    // never be written.
    bool retr(qint64 n, qint64 listedSize, QIODevice& file);
    bool dele(qint64 n);
    bool quit();
    bool failed() const { return commandError; }

    // Counts the waiting mail of one account; success is read from failed() afterwards.
    // count and sizeK keep the caller's values when the dialogue fails before STAT.
    void CheckForMail(const Account& account, qint64& count, qint64& sizeK);

    // After an account's dialogue: logs "Error - bad command" when it failed, then closes the
    // socket, logging "Error - Close connection" when it stays open.
    void endDialogue();
    // Before a run starts: closes the socket; logs "Error - close connection" and returns true
    // when it stays open (the run must not start).
    bool closeBeforeRun();

    // An unattended run (automatic mode) is under way: a socket error is written to the log
    // instead of a message box that would stop the run until someone answers it.
    void setUnattended(bool unattended) { unattended_ = unattended; }

    // The Stop button: ends the wait in progress with a failure and closes the socket, logging
    // "Error - close connection" when it stays open. The run goes on with its next account.
    void Stop();

    // The main window is closing during a wait: the wait in progress ends at once and every run
    // returns from it without touching anything (runs test abandoned() after each wait). Call
    // before shutdown's Stop; the channel, its socket and whatever the run holds must stay alive
    // until the run has returned to the event loop.
    void abandon();
    bool abandoned() const { return abandoned_; }

private Q_SLOTS:
    void Winsock1_DataArrival(qint64 bytesTotal);
    void Winsock1_Close();
    void Winsock1_Error(int number, const QString& description);

private:
    // Capa, Listing and Uidl are multi-line replies gathered as text; Capa and Uidl may be
    // refused without failing the dialogue.
    enum class Command { Other, Retr, Quit, Capa, Listing, Uidl };

    // A command of a pipelining dialogue, queued until it is sent and its reply taken.
    struct Pending {
        Command command = Command::Other;
        QByteArray line; // empty for the greeting, which is only received
    };

    void AddList(const QString& line);
    void startDialogue();
    bool ConnectToServer(const Account& account);
    // The sign-in: encryption first, then the password or token (pop3_sign_in.cpp).
    bool signIn(const Account& account);
    bool signInWithPassword(const Account& account);
    bool signInWithToken(const Account& account);
    bool triesAgain(const Account& account);
    bool acceptsCertificate(const Account& account);
    bool sendMsg(Command command, const QString& m, double timeoutSeconds);
    // Sends (unless `announced`) and takes one framed reply.
    void sendFramed(Command command, const QByteArray& line, bool announced, double timeoutSeconds);
    static bool isTextReply(Command command);
    bool askCapabilities();
    bool startTls();
    // Framed replies: queues a command, sends what the depth allows, takes the next reply.
    void queue(Command command, const QByteArray& line);
    void sendQueued();
    bool nextInLine(const QByteArray& line) const;
    bool takeReply(double timeoutSeconds); // true when the reply is complete
    void readFramed();
    bool takeFramed(qsizetype size);
    bool writeRetrData(const QByteArray& bytes);
    void replyTooLong();
    std::optional<QHash<qint64, QByteArray>> takeUniqueIds();
    void finishReply();
    bool CloseConnection(); // true if the socket is still open afterwards
    void waitFor(const std::function<bool()>& done, double seconds);

    SocketControl& socket_;
    WaitClock& clock_;
    Platform& platform_;
    RunLog& log_;

    bool replyDone = false;
    QString replyData;         // the reply last taken, whole
    bool commandError = false; // the dialogue has failed; only a new dialogue clears it
    bool unattended_ = false;
    QIODevice* messageFile = nullptr; // receives the data of the RETR in progress
    QByteArray retrTail_;             // the last bytes of this reply so far, to find a split end
    qint64 retrWritten_ = 0;          // the bytes of this RETR so far
    qint64 retrLimit_ = 0;
    bool pipelining_ = false;
    bool offersStls_ = false;
    QString capabilities_;      // the CAPA reply this sign-in goes by
    QString certificateError_;  // why the server's certificate was not taken
    bool tokenRefused_ = false; // the server did not take the access token held
    bool renewToken_ = false;   // this sign-in asks the provider for a new one
    QQueue<Pending> line_;      // commands queued, the first sentCount_ of them sent
    qsizetype sentCount_ = 0;
    QByteArray stream_;         // framed bytes received and not yet taken
    bool reading_ = false;      // the reply at the head of line_ is being taken
    bool statusRead_ = false;   // its status line has been read
    bool replyRefused_ = false; // its status line began "-ER"
    QByteArray replyText_;      // a framed reply that goes to no file, as it arrives
    std::optional<QHash<qint64, qint64>> listing_; // the sizes listAll took
    bool idsTaken_ = false; // listAll took the unique ids: uniqueIds() hands over ids_
    std::optional<QHash<qint64, QByteArray>> ids_;
    bool tooLong_ = false;       // a reply of this dialogue outgrew its limit
    bool closeExpected_ = false; // QUIT was answered: the server is closing the connection
    bool peerClosed_ = false;    // the server closed the connection of this dialogue
    bool abandoned_ = false;
};
