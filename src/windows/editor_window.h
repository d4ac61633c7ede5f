#pragma once

#include "ui/twips.h"

#include <QDialog>

class Global;
class Platform;
class QLabel;
class QLineEdit;
class QPushButton;

// A button of the program's windows, named, captioned and with its tooltip; it never becomes
// the default button, since Enter in a text box must never press a button the user did not
// choose.
QPushButton* newButton(QWidget* parent, const char* name, const QString& caption,
                       const QString& tip);

// What the program's modal windows share: a dialog over the shared tables, its controls made
// with their names, captions and tooltips, and the messages that refuse what the data files
// cannot hold or report a file that could not be written or opened.
class EditorWindow : public QDialog {
    Q_OBJECT
public:
    // Shows the window modally until Save, Cancel, Escape or the close box ends it. True when
    // Save stored what the window edits.
    bool run();

protected:
    EditorWindow(Global& global, Platform& platform, QWidget* parent, const char* name,
                 const QString& caption);

    QPushButton* makeButton(const char* name, const QString& caption,
                            const QString& tip = QString());
    // A one-line box holding at most maxLength characters (0: any number), which refuses()
    // checks: the box itself never cuts what is typed, pasted or loaded into it.
    QLineEdit* makeBox(const char* name, int maxLength, const QString& tip,
                       const QString& accessibleName = QString());
    // A label naming `buddy` (which takes the label's text as its accessible name when it has
    // none); word-wrapped when it has no buddy.
    QLabel* makeLabel(const QString& text, QWidget* buddy = nullptr);
    QLabel* makeHeading(const QString& text);

    // A warning box titled with the window's caption.
    void tell(const QString& text);
    // True, after saying so, when the box's text is longer than its limit or holds a character
    // that cannot be stored.
    bool refuses(const QLineEdit* box);
    bool refusesPassword(const QLineEdit* box);
    // The same for a text that comes from elsewhere, `what` naming it in the message.
    bool refuses(const QString& what, const QString& text);
    // Hands a file, folder or address to the desktop's handler for it; says so when that fails.
    void openOnDesktop(const QString& fileOrAddress);
    // True, after saying so, when `failed` (a saver's result) is true.
    bool saveFailed(bool failed, const QString& fileName);

    // Where the window's input boxes appear: over it, offset from its top-left corner, in twips.
    QPoint boxPosition() const;
    // A grid's usable width in twips: its width less a vertical scroll bar less 90.
    double usableWidth(int gridTwips) const;
    QSize pixels(int widthTwips, int heightTwips) const;

    Global& global_;
    Platform& platform_;
    Twips twips_;

private:
    bool refusesCharacter(const QString& what, char32_t bad);
    bool refusesLength(const QLineEdit* box);
};
