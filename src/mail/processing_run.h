#pragma once

#include "mail/mail_run.h"

#include "learn/learning_engine.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

struct Account;
class TrashCopies;

// Process: carries out the actions of the message table. The senders of "B" rows go to the
// blacklist and their IP addresses to the IP blacklist, the senders of "W" rows to the
// whitelist; then every enabled account's "D" and "B" messages are copied to the Trash folder
// and deleted from the server. A message whose Trash copy cannot be written stays on the
// server, and so does one the server no longer gives the unique id Get mail found for it. With
// RunEmailProgram on, the user's e-mail program is started afterwards and the observer is asked to
// close the program. With learning on, the rows the user processed teach the learning engine.
class ProcessingRun : public MailRun {
public:
    ProcessingRun(const RunContext& context, LearningEngine& learning)
        : MailRun(context), learning_(learning) {}

    // The whole run, started by the user.
    void Command2_Click();
    // The run in an automatic check: nobody is at the screen, so the user's e-mail program is
    // not started and the program stays open to go on watching, whatever RunEmailProgram says.
    void processUnattended();
    // Deletes the marked messages of account row a; failure is read from the channel after.
    void DeleteMail(int a);

private:
    void accountDialogue(int accountRow) override { DeleteMail(accountRow); }
    // Both passes; true when the run went to its end. The rows teach the learning engine when
    // `teach` is set.
    bool carryOut(bool teach);
    void listPass();
    void saveLists();
    void startEmailProgramAndClose();
    QStringList markedFiles(const Account& account) const;
    bool isMarkedFor(int r, const Account& account) const;
    bool safeDeletion() const;
    void takeUniqueIds();
    std::optional<qint64> currentNumber(int r) const;
    bool disposeOf(int r, TrashCopies& copies, QList<qint64>& deleAhead);
    std::optional<qint64> serverSize(int r, qint64 n);
    bool trashOnDisk(TrashCopies& copies);
    QString takeTrashName();

    // The current account's unique ids as the server gives them in this dialogue: by number,
    // and by id to find a message that has moved. Empty when the server gives none.
    QHash<qint64, QByteArray> idByNumber_;
    QHash<QByteArray, qint64> numberById_;
    LearningEngine& learning_;
};
