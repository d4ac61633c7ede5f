#pragma once

#include "mail/run_observer.h"
#include "review/text_pane.h"

#include <QStringList>

// A main window stand-in: the lines go to a pane as the window's would, every other call is
// recorded as one entry.
class RecordingObserver : public RunObserver {
public:
    TextPane pane;
    QStringList calls;

    void AddList(const QString& line) override { pane.AddList(line); }
    void clearLog() override { pane.clear(); }
    void runStateChanged(RunState state) override {
        calls.append(state == RunState::Running ? QStringLiteral("running")
                                                : QStringLiteral("idle"));
    }
    void showProgress(bool visible) override {
        calls.append(QStringLiteral("progress %1").arg(visible));
    }
    void setProgress(qint64 done, qint64 total) override {
        calls.append(QStringLiteral("at %1 of %2").arg(done).arg(total));
    }
    void closeRequested() override { calls.append(QStringLiteral("close")); }
};
