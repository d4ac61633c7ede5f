#pragma once

#include "mail/socket_control.h"
#include "mail/wait_clock.h"

#include <QByteArray>
#include <QFile>
#include <QString>

struct Account;
class AccountTable;
class Platform;
class TextPane;

// The POP3 command channel: opens a connection and waits for the greeting, sends one command
// and waits for its complete reply, collects replies from the socket's events and logs
// progress lines to the text pane. One dialogue at a time, on the GUI thread.
//
// A dialogue: startDialogue (or logIn/openMailbox, which start one), commands through sendMsg
// each tested for failure, quit; then endDialogue. Routines that can fail return true on failure.
class Pop3Channel : public QObject {
    Q_OBJECT
public:
    // Reply time-outs in seconds.
    static constexpr double CommandTimeout = 10;
    static constexpr double RetrTimeout = 60;
    static constexpr double GreetingTimeout = 20;
    static constexpr double CloseTimeout = 20;

    Pop3Channel(SocketControl& socket, WaitClock& clock, Platform& platform, TextPane& pane,
                QObject* parent = nullptr);

    // Channel state, read and written by the runs.
    bool replyDone = false;
    QString replyData;            // the latest arrival only
    bool commandError = false;    // the dialogue has failed; only a new dialogue clears it
    QFile* messageFile = nullptr; // receives the data of the RETR in progress

    // Kept in the socket's Tag; only "RETR" changes how arrivals are handled.
    QString currentCommand() const;
    void setCurrentCommand(const QString& command);

    // Clears replyDone, commandError and currentCommand, as at the start of every dialogue.
    void startDialogue();

    bool ConnectToServer(const Account& account);
    bool sendMsg(const QString& m, double timeoutSeconds);
    bool CloseConnection(); // true if the socket is still open afterwards
    void AddList(const QString& line);
    // Counts the waiting mail of one account; success is read from commandError afterwards.
    // count and sizeK keep the caller's values when the dialogue fails before STAT.
    void CheckForMail(const Account& account, qint64& count, qint64& sizeK);

    // Starts a dialogue, connects and sends USER and PASS.
    bool logIn(const Account& account);
    // logIn, then STAT; the STAT reply is left in replyData.
    bool openMailbox(const Account& account);
    // currentCommand "QUIT", then QUIT.
    bool quit();
    // After an account's dialogue: logs "Error - bad command" when it failed, then closes the
    // socket, logging "Error - Close connection" when it stays open.
    void endDialogue();
    // Before a run starts: closes the socket; logs "Error - close connection" and returns true
    // when it stays open (the run must not start).
    bool closeBeforeRun();

    // The account pass of every run: for the accounts in table order up to the first without
    // a name, runs `dialogue` with the row of each enabled one and then endDialogue, yielding
    // once per account. Returns at once when the channel is abandoned.
    void forEachEnabledAccount(const AccountTable& accounts,
                               const std::function<void(int)>& dialogue);

    // The Stop button: ends the wait in progress with a failure and closes the socket, logging
    // "Error - close connection" when it stays open. The run goes on with its next account.
    void Stop();

    // The main window is closing during a wait: the wait in progress ends at once and every run
    // returns from it without touching anything (runs test abandoned() after each wait). Call
    // before shutdown's Stop; the channel, its socket and whatever the run holds must stay alive
    // until the run has returned to the event loop.
    void abandon();
    bool abandoned() const { return abandoned_; }

    SocketControl& socket() { return socket_; }
    WaitClock& clock() { return clock_; }

private Q_SLOTS:
    void Winsock1_DataArrival(qint64 bytesTotal);
    void Winsock1_Close();
    void Winsock1_Error(int number, const QString& description);

private:
    void waitFor(const std::function<bool()>& done, double seconds);
    void takeRetrData(const QByteArray& data);

    SocketControl& socket_;
    WaitClock& clock_;
    Platform& platform_;
    TextPane& pane_;
    QByteArray retrTail_;        // the last bytes of this RETR so far, to find an end split apart
    bool closeExpected_ = false; // QUIT was answered: the server is closing the connection
    bool abandoned_ = false;
};
