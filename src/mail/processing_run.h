#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

struct Account;
class Global;
class MailRunHost;
class MessageTable;
class Platform;
class Pop3Channel;
class TextPane;

// Process: carries out the actions of the message table. The senders of "B" rows go to the
// blacklist and their IP addresses to the IP blacklist, the senders of "W" rows to the
// whitelist; then every enabled account's "D" and "B" messages are copied to the Trash folder
// and deleted from the server. A message whose Trash copy cannot be written stays on the
// server. When the channel is abandoned (the main window is closing) the run returns from the
// wait it is in without touching the table, the pane, the files or the host.
class ProcessingRun {
public:
    // `runEmailProgram` is the "Email prog" button's handler and `closeMainWindow` the main
    // window's normal shutdown; both are used after the run when RunEmailProgram is on.
    ProcessingRun(Pop3Channel& channel, Global& global, MessageTable& table, TextPane& pane,
                  MailRunHost& host, Platform& platform, std::function<void()> runEmailProgram,
                  std::function<void()> closeMainWindow);

    // The whole run.
    void Command2_Click();
    // Deletes the marked messages of account row a; failure is read from commandError after.
    void DeleteMail(int a);

private:
    enum class TrashCopy { Made, NoFile, Failed };

    bool closing() const;
    void listPass();
    void saveLists();
    void accountPass();
    void startEmailProgramAndClose();
    bool isMarkedFor(int r, const Account& account) const;
    bool disposeOf(int r);
    std::optional<qint64> serverSize(int r);
    TrashCopy copyToTrash(const QString& messageFile);
    QString takeTrashName();

    Pop3Channel& channel_;
    Global& global_;
    MessageTable& table_;
    TextPane& pane_;
    MailRunHost& host_;
    Platform& platform_;
    std::function<void()> runEmailProgram_;
    std::function<void()> closeMainWindow_;
};
