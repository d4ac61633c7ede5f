#include "mail/mail_run.h"

#include "mail/auto_check_state.h"
#include "mail/pop3_channel.h"
#include "mail/run_gate.h"
#include "mail/wait_clock.h"
#include "platform/platform.h"
#include "store/global.h"

namespace {

const QLatin1String BusyLine("Busy, wait a minute...");

} // namespace

bool MailRun::begin() {
    if (!mayBegin())
        return false;
    beginRunning();
    return true;
}

bool MailRun::mayBegin() {
    if (context_.autoCheck.busy()) {
        context_.observer.AddList(BusyLine);
        return false;
    }
    return !context_.channel.closeBeforeRun() && !closing();
}

void MailRun::beginRunning() {
    context_.platform.setBusy(true);
    if (context_.gate.enter())
        context_.observer.runStateChanged(RunObserver::RunState::Running);
}

void MailRun::end(const QString& lastLine) {
    context_.observer.AddList(lastLine);
    finishRunning();
}

void MailRun::finishRunning() {
    if (!context_.gate.leave())
        return;
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

MailCount MailRun::checkForMail(int s) {
    const Account& account = context_.global.accounts.row(s);
    // CheckForMail leaves the count as it was when the dialogue fails before STAT, and a
    // failed connection leaves no failure flag behind: a count still unset tells.
    constexpr qint64 Unset = -1;
    qint64 count = Unset;
    qint64 sizeK = 0;
    context_.channel.CheckForMail(account, count, sizeK);
    const bool failed = count == Unset || context_.channel.failed();
    return {account.AccountName, count == Unset ? 0 : count, sizeK, failed};
}

bool MailRun::closing() const {
    return context_.channel.abandoned();
}

void MailRun::yieldOnce() {
    context_.clock.yieldOnce();
}
