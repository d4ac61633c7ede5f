#pragma once

#include "platform/platform.h"

class QWidget;

// The platform over Qt Widgets and the desktop: boxes, the file dialog, the desktop's handlers
// for files and addresses, programs started without a shell, and screen metrics.
class QtPlatform : public Platform {
public:
    // Boxes are shown over `owner` (the main window once it exists).
    void setOwner(QWidget* owner) { owner_ = owner; }

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
    QStringList desktopMailProgram() override;
    QString documentsFolder() override;
    double twipsPerPixel() override;
    int verticalScrollBarWidth() override;
    int sizingFrameHeight() override;
    int captionHeight() override;
    bool placesWindows() override;
    bool notify(const QString& title, const QString& body, qint64 seconds) override;
    void setBusy(bool busy) override;

private:
    QWidget* owner_ = nullptr;
    bool busy_ = false;
};
