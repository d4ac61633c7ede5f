#include "mail/mail_runs.h"

#include "store/account_options.h"
#include "store/global.h"

MailRuns::MailRuns(SocketControl& socket, WaitClock& clock, Platform& platform, Global& global,
                   MessageTable& table, RunObserver& observer)
    : tokens_(global.settings), learning_(global),
      channel_(socket, clock, platform, observer), context_{channel_, clock,    global,     table,
                                                            platform, observer, autoCheck_, gate_},
      retrieval_(context_, learning_), processing_(context_, learning_), quickCheck_(context_),
      largeMail_(context_), automatic_(context_, autoCheck_, retrieval_, processing_) {
    // The accepted certificate is stored at once, so it holds also if the program ends early.
    channel_.certificateAccepted = [this, &global](const Account& account,
                                                   const QString& fingerprint) {
        changeAccount(global, account, [&](Account& row) {
            setPinnedCertificate(row, fingerprint);
            global.SaveAccounts();
        });
    };
    // A new refresh token reaches the keyring or the file with the next save of the accounts.
    tokens_.refreshTokenChanged = [this, &global](const Account& account, const QString& token) {
        changeAccount(global, account, [&](Account& row) { row.AccountPassword = token; });
    };
    channel_.tokens = &tokens_;
}

void MailRuns::changeAccount(Global& global, const Account& account,
                             const std::function<void(Account&)>& change) {
    for (int r = 1; r <= global.accounts.count(); ++r)
        if (&global.accounts.row(r) == &account)
            change(global.accounts.row(r));
}
