#pragma once

#include "mail/mail_run.h"

#include "learn/learning_engine.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <optional>

struct Account;

// Get mail: visits every enabled account, retrieves each waiting message below the size limit
// into "email<k>.eml" in the data folder, adds one table row per message and classifies the
// rows. With learning on, the learning engine scores the messages as they arrive.
class RetrievalRun : public MailRun {
public:
    RetrievalRun(const RunContext& context, LearningEngine& learning)
        : MailRun(context), learning_(learning) {}

    // The whole run; the main window has already passed the password guard.
    void Command1_Click();
    // Retrieves the messages of account row s; failure is read from the channel afterwards.
    void GetMail(int s);

private:
    // A message the server listed: its number and its size in bytes.
    struct Listed {
        qint64 number;
        qint64 size;
    };

    void accountDialogue(int accountRow) override { GetMail(accountRow); }
    bool retrieveMessages(const Account& account, qint64 count);
    std::optional<QList<Listed>> messagesBelowLimit(qint64 count);
    bool belowSizeLimit(qint64 size) const;
    bool fetch(const Account& account, const Listed& message);
    qint64 nextFreeFileNumber() const;

    // The row the next message goes to. Kept here rather than read back from the grid's current
    // row, which the user may move by clicking while the run waits.
    int nextRow_ = 1;
    qint64 nextFile_ = 1;           // the number of the next message file
    QHash<qint64, QByteArray> ids_; // the current account's unique ids by message number
    LearningEngine& learning_;
    std::unique_ptr<ScoringBatch> scoring_; // this run's, when learning is on and has learned
};
