#pragma once

#include "mail/run_observer.h"

class AutoCheckState;
class Global;
class MessageTable;
class Platform;
class Pop3Channel;
class RunGate;
class WaitClock;

// What every run works with. One MailRuns object builds it once for all its runs.
struct RunContext {
    Pop3Channel& channel;
    WaitClock& clock;
    Global& global;
    MessageTable& table;
    Platform& platform;
    RunObserver& observer;
    const AutoCheckState& autoCheck;
    RunGate& gate;
};

// The shape every POP3 run shares: the start steps, the pass over the enabled accounts with
// one dialogue each, and the end steps. When the channel is abandoned (the main window is
// closing) a run returns from the wait it is in without touching the table, the log, the files
// or the observer.
class MailRun {
public:
    virtual ~MailRun() = default;

protected:
    explicit MailRun(const RunContext& context) : context_(context) {}

    // Refused with "Busy, wait a minute..." while an automatic check runs, and not started
    // when the socket cannot be closed first; otherwise the busy pointer goes on and the
    // observer learns that the run is under way. False when the run must not go on.
    bool begin();
    // The two halves of begin, for a run that asks the user something in between: the refusals,
    // then the run gate, the busy pointer and the observer.
    bool mayBegin();
    void beginRunning();
    // The run's last line, then finishRunning.
    void end(const QString& lastLine);
    // The run lets go of the gate; when no other run holds it, the observer learns that runs
    // are over and the pointer goes back.
    void finishRunning();
    // For the accounts in table order up to the first without a name: the dialogue of each
    // enabled one, then the channel's endDialogue; one yield per account.
    void accountPass();
    virtual void accountDialogue(int accountRow) = 0;
    // CheckForMail for account row s, and whether its dialogue failed.
    MailCount checkForMail(int s);

    bool closing() const;
    void yieldOnce();

    const RunContext context_;
};
