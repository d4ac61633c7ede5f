#pragma once

#include "platform/platform.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// A platform for tests: answers boxes from queues and records every box and shell request,
// so modal code runs unattended and its texts can be asserted exactly.
class ScriptedPlatform : public Platform {
public:
    struct Box {
        QString text;
        QString title;
        Buttons buttons;
        Icon icon;
    };
    struct Prompt {
        QString prompt;
        QString title;
        QString defaultText;
        QPoint position;
        bool secret;
    };

    // Queued answers; an empty queue answers Ok/Yes, "" and "".
    QQueue<Answer> answers;
    QQueue<QString> typed;
    QQueue<QString> chosenFiles;

    // What was asked for.
    QList<Box> boxes;
    QList<Prompt> prompts;
    QStringList opened;
    QStringList suggested;      // by the save dialog
    QList<QStringList> started; // program followed by its arguments
    bool busy = false;
    QStringList notified; // the bodies of the desktop notifications
    bool placing = true;  // windows place themselves (not Wayland)

    QString documents;
    QStringList existingPrograms;
    QStringList desktopMail;
    QStringList failing; // programs and addresses whose start or opening fails

    Answer messageBox(const QString& text, Buttons buttons, Icon icon,
                      const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText,
                     QPoint twipsPosition, bool secret) override;
    QString fileOpenDialog(const QString& title, const QString& folder,
                           const QString& filter) override;
    QString fileSaveDialog(const QString& title, const QString& suggested,
                           const QString& filter) override;
    bool shellOpen(const QString& fileOrAddress) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    bool programExists(const QString& program) override;
    QStringList desktopMailProgram() override { return desktopMail; }
    QString documentsFolder() override { return documents; }
    // 15 twips a pixel, a scroll bar of 16 pixels, a frame of 4 and a caption of 22.
    double twipsPerPixel() override { return 15.0; }
    int verticalScrollBarWidth() override { return 16; }
    int sizingFrameHeight() override { return 4; }
    int captionHeight() override { return 22; }
    bool placesWindows() override { return placing; }
    bool notify(const QString&, const QString& body, qint64) override {
        return notified.append(body), false;
    }
    void setBusy(bool on) override { busy = on; }
};
