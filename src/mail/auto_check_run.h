#pragma once

#include "mail/mail_run.h"

#include <QList>
#include <memory>

class AutoCheckState;
class ProcessingRun;
class RetrievalRun;
class Ticker;

// Automatic mode while the main window is minimised: Timer2 ticks once a minute on the run's
// clock, and every CheckEveryMins minutes a check counts the waiting mail of every enabled
// account for the notifier, after a Get mail and a Process of its own when AutoDelete is on.
// The user's runs are refused while the counting goes on.
class AutoCheckRun : public MailRun {
public:
    static constexpr double TickSeconds = 60;

    AutoCheckRun(const RunContext& context, AutoCheckState& state, RetrievalRun& retrieval,
                 ProcessingRun& processing);
    ~AutoCheckRun() override;

    // The window was minimised: the minutes count from now.
    void start();
    // The window is shown again: Timer2 stops; a check under way goes on to its end, and
    // Timer2 then stays off.
    void stop();
    bool ticking() const;

    // One minute's tick.
    void Timer2_Timer();

private:
    void check();
    void accountDialogue(int accountRow) override;

    AutoCheckState& state_;
    RetrievalRun& retrieval_;
    ProcessingRun& processing_;
    std::unique_ptr<Ticker> Timer2;
    bool inCheck_ = false; // from the tick that starts a check to its end
    QList<MailCount> counts_;
};
