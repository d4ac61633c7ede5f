#pragma once

#include "mail/mail_run.h"

#include <QStringList>

// Quick mail check: counts the waiting mail of every enabled account without retrieving any,
// and shows the counts as a fixed-width table in the pane.
class QuickCheckRun : public MailRun {
public:
    explicit QuickCheckRun(const RunContext& context) : MailRun(context) {}

    // The whole run; the main window has already passed the password guard.
    void ActionsQuickCheck_Click();

    // The table's line for one account: the name cut or padded to 20 characters, the count to
    // 10, then the size in k.
    static QString tableLine(const MailCount& count);

private:
    void accountDialogue(int accountRow) override;

    QStringList table_;
    bool anyFailed_ = false;
};
