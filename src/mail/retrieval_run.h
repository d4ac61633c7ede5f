#pragma once

#include "mail/mail_run.h"

#include "learn/learning_engine.h"

#include <QByteArray>
#include <QHash>

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
    void accountDialogue(int accountRow) override { GetMail(accountRow); }
    bool retrieveMessages(const Account& account, qint64 count);
    bool sendRetrsAhead(qint64 count);
    bool belowSizeLimit(qint64 size) const;
    bool retrieveOne(const Account& account, qint64 m, qint64 size, qint64 k);
    qint64 nextFreeFileNumber() const;

    // The row the next message goes to. Kept here rather than read back from the grid's current
    // row, which the user may move by clicking while the run waits.
    int nextRow_ = 1;
    QHash<qint64, QByteArray> ids_; // the current account's unique ids by message number
    LearningEngine& learning_;
    std::unique_ptr<ScoringBatch> scoring_; // this run's, when learning is on and has learned
};
