#pragma once

#include "mail/mail_count.h"

#include <QList>
#include <QString>
#include <QtGlobal>

// Where the channel and the runs write their progress lines (the main window's text pane).
class RunLog {
public:
    virtual ~RunLog() = default;

    // AddList: one line after the text so far.
    virtual void AddList(const QString& line) = 0;
    virtual void clearLog() = 0;
};

// What a run tells whoever started it. The main window greys its buttons while a run is
// under way and shows the progress panel; tests record the calls.
class RunObserver : public RunLog {
public:
    enum class RunState { Idle, Running };

    virtual void runStateChanged(RunState state) = 0;
    // The progress panel of Get mail: shown during the account pass, with `done` of `total`
    // messages of the current account fetched (0 of 0 as the pass begins).
    virtual void showProgress(bool visible) = 0;
    virtual void setProgress(qint64 done, qint64 total) = 0;
    // Process has started the user's e-mail program: the program's window should close.
    virtual void closeRequested() = 0;
    // Automatic mode, before its own Get mail: true when the program password is set and the
    // user did not give it, so Get mail must not run.
    virtual bool passwordRefused() = 0;
    // An automatic check has counted the mail of every enabled account: the notifier shows it.
    virtual void showCounts(const QList<MailCount>& counts) = 0;
};
