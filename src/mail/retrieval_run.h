#pragma once

#include <QtGlobal>

struct Account;
class Global;
class MailRunHost;
class MessageTable;
class Platform;
class Pop3Channel;
class TextPane;

// Get mail: visits every enabled account, retrieves each waiting message below the size limit
// into "email<k>.eml" in the data folder, adds one table row per message and classifies the
// rows. When the channel is abandoned (the main window is closing) the run returns from the
// wait it is in without touching the table, the pane, the files or the host.
class RetrievalRun {
public:
    RetrievalRun(Pop3Channel& channel, Global& global, MessageTable& table, TextPane& pane,
                 MailRunHost& host, Platform& platform);

    // The whole run; the main window has already passed the password guard.
    void Command1_Click();
    // Retrieves the messages of account row s; failure is read from commandError afterwards.
    void GetMail(int s);

private:
    bool closing() const;
    void accountPass();
    bool retrieveMessages(const Account& account, qint64 count);
    bool retrieveOne(const Account& account, qint64 m, qint64 size, qint64 k);
    qint64 nextFreeFileNumber() const;

    Pop3Channel& channel_;
    Global& global_;
    MessageTable& table_;
    TextPane& pane_;
    MailRunHost& host_;
    Platform& platform_;
    // The row the next message goes to. Kept here rather than read back from the grid's current
    // row, which the user may move by clicking while the run waits.
    int nextRow_ = 1;
};
