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
    bool refusePassword = false;

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
    bool passwordRefused() override {
        calls.append(QStringLiteral("password"));
        return refusePassword;
    }
    // One entry per count shown, "name count sizeK" and "failed" when it failed.
    void showCounts(const QList<MailCount>& counts) override {
        QStringList shown;
        for (const MailCount& c : counts)
            shown.append(QStringLiteral("%1 %2 %3%4")
                             .arg(c.account)
                             .arg(c.count)
                             .arg(c.sizeK)
                             .arg(c.failed ? QStringLiteral(" failed") : QString()));
        calls.append(QStringLiteral("notifier: ") + shown.join(QStringLiteral(", ")));
    }
};
