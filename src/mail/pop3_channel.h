#pragma once

#include "mail/socket_control.h"
#include "mail/wait_clock.h"

#include <QFile>
#include <QString>

struct Account;
class Platform;
class TextPane;

// The POP3 command channel: opens a connection and waits for the greeting, sends one command
// and waits for its complete reply, collects replies from the socket's events and logs
// progress lines to the text pane. One dialogue at a time, on the GUI thread.
class Pop3Channel : public QObject {
    Q_OBJECT
public:
    Pop3Channel(SocketControl& socket, WaitClock& clock, Platform& platform, TextPane& pane,
                QObject* parent = nullptr);

    // Channel state, read and written by the runs.
    bool replyDone = false;
    QString replyData;
    bool commandError = false;
    QFile* messageFile = nullptr; // receives the data of the RETR in progress

    QString currentCommand() const;
    void setCurrentCommand(const QString& command);

    // Clears replyDone, commandError and currentCommand, as at the start of every dialogue.
    void startDialogue();

    bool ConnectToServer(const Account& account);           // true on failure
    bool sendMsg(const QString& m, double timeoutSeconds);  // true on failure
    bool CloseConnection();                                 // true if still open
    void AddList(const QString& line);
    // Counts the waiting mail of one account; success is read from commandError afterwards.
    void CheckForMail(const Account& account, qint64& count, qint64& sizeK);
    // Stop: ends the wait in progress with a failure and closes the socket; true if the socket
    // stays open.
    bool Stop();

    SocketControl& socket() { return socket_; }
    WaitClock& clock() { return clock_; }

private Q_SLOTS:
    void Winsock1_DataArrival(qint64 bytesTotal);
    void Winsock1_Close();
    void Winsock1_Error(int number, const QString& description);

private:
    SocketControl& socket_;
    WaitClock& clock_;
    Platform& platform_;
    TextPane& pane_;
};
