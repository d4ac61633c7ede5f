#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

// The toolkit services the program asks for: boxes, dialogs, the desktop shell and screen
// metrics. The program owns one implementation (QtPlatform) and passes it to whoever needs it;
// tests pass a scripted one.
class Platform {
public:
    enum class Icon { None, Information, Warning, Critical };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~Platform() = default;

    virtual Answer messageBox(const QString& text, Buttons buttons, Icon icon,
                              const QString& title) = 0;

    // Returns the typed text, or "" when the box was cancelled. `twipsPosition` is the box's
    // top-left corner on the screen, in twips; `secret` hides what is typed (passwords).
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText, QPoint twipsPosition,
                             bool secret = false) = 0;

    // Returns the chosen file, or "" when cancelled.
    virtual QString fileOpenDialog(const QString& title, const QString& folder,
                                   const QString& filter) = 0;

    // Returns the file to save to, or "" when cancelled. `suggested` is the path first offered.
    virtual QString fileSaveDialog(const QString& title, const QString& suggested,
                                   const QString& filter) = 0;

    // Hands a file or an address (mailto:, http:) to the desktop's handler for it.
    // Returns true on failure.
    virtual bool shellOpen(const QString& fileOrAddress) = 0;

    // Starts a program directly (no shell). Returns true on failure.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;

    // True when `program` names an executable present on this system (a path or a name on PATH).
    virtual bool programExists(const QString& program) = 0;

    // The desktop's e-mail program, as the command that starts it with nothing to compose: the
    // program, then the arguments it always takes. Empty when the desktop names none.
    virtual QStringList desktopMailProgram() = 0;

    // The user's documents folder, or "" when unknown.
    virtual QString documentsFolder() = 0;

    // Screen metrics: twips per pixel (1440 / logical DPI), and the pixel sizes of a vertical
    // scroll bar, a window's sizing frame and its caption bar.
    virtual double twipsPerPixel() = 0;
    virtual int verticalScrollBarWidth() = 0;
    virtual int sizingFrameHeight() = 0;
    virtual int captionHeight() = 0;

    // False where a window cannot place itself on the screen (Wayland), so a small window
    // meant for a corner would land wherever the desktop puts it.
    virtual bool placesWindows() = 0;
    // A desktop notification (the freedesktop Notifications service) with a title and a body,
    // shown for `seconds`. Returns true on failure (no such service).
    virtual bool notify(const QString& title, const QString& body, qint64 seconds) = 0;

    // The busy pointer for long work (true) and back (false); a switch, not a counter.
    virtual void setBusy(bool busy) = 0;
};
