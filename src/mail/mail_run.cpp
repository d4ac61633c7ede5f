#include "mail/mail_run.h"

#include "mail/auto_check_state.h"
#include "mail/pop3_channel.h"
#include "mail/wait_clock.h"
#include "platform/platform.h"
#include "store/global.h"

namespace {

const QLatin1String BusyLine("Busy, wait a minute...");

} // namespace

bool MailRun::begin() {
    if (context_.autoCheck.busy()) {
        context_.observer.AddList(BusyLine);
        return false;
    }
    if (context_.channel.closeBeforeRun() || closing())
        return false;
    context_.platform.setBusy(true);
    context_.observer.runStateChanged(RunObserver::RunState::Running);
    return true;
}

void MailRun::end(const QString& lastLine) {
    context_.observer.AddList(lastLine);
    context_.observer.runStateChanged(RunObserver::RunState::Idle);
    context_.platform.setBusy(false);
}

void MailRun::accountPass() {
    const AccountTable& accounts = context_.global.accounts;
    for (int row = 1; row <= AccountTable::MaxAccounts; ++row) {
        const Account& account = accounts.row(row);
        if (account.AccountName.isEmpty())
            return;
        if (!account.Enabled.isEmpty()) {
            accountDialogue(row);
            if (closing())
                return;
            context_.channel.endDialogue();
        }
        yieldOnce();
        if (closing())
            return;
    }
}

bool MailRun::closing() const {
    return context_.channel.abandoned();
}

void MailRun::yieldOnce() {
    context_.clock.yieldOnce();
}
