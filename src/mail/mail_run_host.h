#pragma once

#include <QString>

// What a mail run needs from the window that starts it: greying the buttons, the progress
// panel and the automatic-mode state. The main window implements it; tests record the calls.
class MailRunHost {
public:
    virtual ~MailRunHost() = default;

    // Buttons(false) when a long task starts, Buttons(true) when it ends.
    virtual void Buttons(bool enabled) = 0;
    // "Busy" while an automatic check runs.
    virtual QString autoCheckState() const = 0;
    // The runs the user starts refuse to run meanwhile, with this line.
    bool autoCheckBusy() const { return autoCheckState() == QLatin1String("Busy"); }
    static QString busyLine() { return QStringLiteral("Busy, wait a minute..."); }
    // The progress panel (Frame1): shown during the retrieval run's account pass.
    virtual void showProgress(bool visible) = 0;
    // Label1's width in twips (the track) and Shape1's width in twips (the bar).
    virtual int progressTrackWidth() const = 0;
    virtual void setProgressBarWidth(int twips) = 0;
};
