#include "mail/mail_runs.h"

#include "store/account_options.h"
#include "store/global.h"

MailRuns::MailRuns(SocketControl& socket, WaitClock& clock, Platform& platform, Global& global,
                   MessageTable& table, RunObserver& observer)
    : channel_(socket, clock, platform, observer), context_{channel_, clock,    global,    table,
                                                            platform, observer, autoCheck_},
      retrieval_(context_), processing_(context_), quickCheck_(context_), largeMail_(context_),
      automatic_(context_, autoCheck_, retrieval_, processing_) {
    // The accepted certificate is stored at once, so it holds also if the program ends early.
    channel_.certificateAccepted = [&global](const Account& account, const QString& fingerprint) {
        for (int r = 1; r <= global.accounts.count(); ++r)
            if (&global.accounts.row(r) == &account) {
                setPinnedCertificate(global.accounts.row(r), fingerprint);
                global.SaveAccounts();
            }
    };
}
