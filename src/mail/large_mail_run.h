#pragma once

#include "mail/mail_run.h"

#include <QPoint>
#include <QtGlobal>
#include <optional>

// Delete large email: asks for a size in k and deletes, on every enabled account, each message
// larger than that. The messages are deleted on the server only: neither retrieved nor copied
// to the Trash folder.
class LargeMailRun : public MailRun {
public:
    explicit LargeMailRun(const RunContext& context) : MailRun(context) {}

    // The whole run; the main window has already passed the password guard. `windowTwips` is
    // the main window's top-left corner on the screen, which places the input box.
    void ActionsDelLarge_Click(QPoint windowTwips);
    // Deletes from account row s every message whose size in whole k is above limitK; failure
    // is read from the channel afterwards. A message whose LIST fails is never deleted, and
    // without the closing QUIT the server carries out none of the connection's deletions.
    void DelBigMail(int s, qint64 limitK);

private:
    void accountDialogue(int accountRow) override { DelBigMail(accountRow, limitK_); }
    // The limit the user typed, or nothing when cancelled or refused.
    std::optional<qint64> askLimit(QPoint windowTwips);

    qint64 limitK_ = 0;
};
