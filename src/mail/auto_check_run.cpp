#include "mail/auto_check_run.h"

#include "mail/auto_check_state.h"
#include "mail/pop3_channel.h"
#include "mail/processing_run.h"
#include "mail/retrieval_run.h"
#include "mail/run_gate.h"
#include "mail/wait_clock.h"
#include "store/global.h"

AutoCheckRun::AutoCheckRun(const RunContext& context, AutoCheckState& state,
                           RetrievalRun& retrieval, ProcessingRun& processing)
    : MailRun(context), state_(state), retrieval_(retrieval), processing_(processing),
      Timer2(context.clock.ticker(QStringLiteral("Timer2"), TickSeconds,
                                  [this] { Timer2_Timer(); })) {}

AutoCheckRun::~AutoCheckRun() = default;

void AutoCheckRun::start() {
    state_.start();
    // A check under way starts Timer2 again when it ends.
    if (!inCheck_)
        Timer2->start();
}

void AutoCheckRun::stop() {
    state_.stop();
    Timer2->stop();
}

bool AutoCheckRun::ticking() const {
    return Timer2->isActive();
}

void AutoCheckRun::Timer2_Timer() {
    if (inCheck_ || !state_.tick(context_.global.settings.checkEveryMins()))
        return;
    // A run of the user's, or a window that changes what the check uses, is under way: the
    // check waits for the next tick.
    if (context_.gate.underWay()) {
        state_.postpone();
        return;
    }
    Timer2->stop();
    inCheck_ = true;
    // Nobody may be there to answer a box: socket errors go to the pane and the notifier.
    context_.channel.setUnattended(true);
    check();
    context_.channel.setUnattended(false);
    inCheck_ = false;
    if (!closing() && state_.endCheck())
        Timer2->start();
}

// The whole check holds the run gate, its own Get mail and Process included, so nothing the
// user does can start another dialogue meanwhile.
void AutoCheckRun::check() {
    beginRunning();
    if (context_.global.settings.isExactlyOne(setting::AutoDelete)) {
        // Get mail keeps its password guard; refused, Process still runs on the rows already
        // in the table.
        if (!context_.observer.passwordRefused())
            retrieval_.Command1_Click();
        if (closing())
            return;
        yieldOnce();
        processing_.processUnattended();
        if (closing())
            return;
        yieldOnce();
    }
    // From here the user's runs are refused until the counts are shown.
    state_.beginCheck();
    counts_.clear();
    accountPass();
    if (closing())
        return;
    context_.observer.showCounts(counts_);
    finishRunning();
}

void AutoCheckRun::accountDialogue(int accountRow) {
    counts_.append(checkForMail(accountRow));
}
