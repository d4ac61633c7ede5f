#pragma once

#include "mail/mail_run_host.h"

#include <QStringList>

// A main window stand-in that records what a run asks of it, one line per call.
class RecordingHost : public MailRunHost {
public:
    static constexpr int TrackWidth = 3735; // Label1's design width in twips

    QStringList calls;
    QString state;

    void Buttons(bool enabled) override { calls.append(QStringLiteral("Buttons %1").arg(enabled)); }
    QString autoCheckState() const override { return state; }
    void showProgress(bool visible) override {
        calls.append(QStringLiteral("progress %1").arg(visible));
    }
    int progressTrackWidth() const override { return TrackWidth; }
    void setProgressBarWidth(int twips) override {
        calls.append(QStringLiteral("bar %1").arg(twips));
    }
};
