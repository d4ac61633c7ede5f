#pragma once

#include "auth/oauth_tokens.h"
#include "mail/auto_check_run.h"
#include "mail/auto_check_state.h"
#include "mail/large_mail_run.h"
#include "mail/pop3_channel.h"
#include "mail/processing_run.h"
#include "mail/quick_check_run.h"
#include "mail/retrieval_run.h"
#include "mail/run_gate.h"

// The channel and every run over it, built in one place. The main window, the tests, the
// benchmarks and the fuzz targets all make their runs through this object; the socket, the
// clock and the observer are theirs.
class MailRuns {
public:
    MailRuns(SocketControl& socket, WaitClock& clock, Platform& platform, Global& global,
             MessageTable& table, RunObserver& observer);

    Pop3Channel& channel() { return channel_; }
    AutoCheckState& autoCheck() { return autoCheck_; }
    RunGate& gate() { return gate_; }
    RetrievalRun& retrieval() { return retrieval_; }
    ProcessingRun& processing() { return processing_; }
    QuickCheckRun& quickCheck() { return quickCheck_; }
    LargeMailRun& largeMail() { return largeMail_; }
    AutoCheckRun& automatic() { return automatic_; }
    LearningEngine& learning() { return learning_; }

private:
    // Finds the account the channel was given in the table and changes it there.
    void changeAccount(Global& global, const Account& account,
                       const std::function<void(Account&)>& change);

    OAuthTokens tokens_;
    AutoCheckState autoCheck_;
    RunGate gate_;
    LearningEngine learning_;
    Pop3Channel channel_;
    RunContext context_;
    RetrievalRun retrieval_;
    ProcessingRun processing_;
    QuickCheckRun quickCheck_;
    LargeMailRun largeMail_;
    AutoCheckRun automatic_;
};
