#pragma once

#include "windows/editor_window.h"

#include <QList>

class Secrets;
class QCheckBox;
class QListWidget;

// The Preferences window: edits the settings table through its controls. Save enforces the
// bounds, writes config.ini at once and closes; Cancel, Escape and the close box store nothing.
// Save also makes the new program password the one entered this run.
//
// For the main window (Edit > Preferences and the Config button): run the password guard
// (GetPassword) first and open the window only when it passes; after run() returns, whatever
// it returned, reload the settings from config.ini (LoadSettings), which also raises a check
// interval below 5 minutes to 5 in memory.
class PreferencesWindow : public EditorWindow {
    Q_OBJECT
public:
    // `learningAvailable`: the learning engine is installed, so its check box can be used.
    PreferencesWindow(Global& global, Platform& platform, bool learningAvailable, Secrets& secrets,
                      QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct CheckSpec {
        QCheckBox* PreferencesWindow::*box;
        const char* name;
        const char* caption;
        int entry;
        const char* tip;
    };
    struct ClientIdSpec {
        QLineEdit* PreferencesWindow::*box;
        const char* name;
        const char* label;
        int entry;
    };
    static const ClientIdSpec ClientIdBoxes[];
    struct NumberSpec {
        QLineEdit* PreferencesWindow::*box;
        const char* name;
        const char* label;
        const char* unit;
        int maxLength;
        const char* tip;
    };
    static const CheckSpec Checks[];
    static const NumberSpec Numbers[];

    void createControls();
    QLayout* leftHalf();
    QLayout* rightHalf();
    QWidget* learningGroup();
    QLayout* numberRows(int first, int count);
    QWidget* checkGroup(const QString& title, int first, int count);
    void Form_Load();
    void Command1_Click(); // Save
    void Command3_Click(); // Find

    Secrets& secrets_;
    QLineEdit* Text1 = nullptr; // MaxSizeK
    QLineEdit* Text2 = nullptr; // EmailProgram
    QLineEdit* Text3 = nullptr; // CheckEveryMins
    QLineEdit* Text4 = nullptr; // NotifySecs
    QLineEdit* Text5 = nullptr; // TrashKeep
    QLineEdit* Text6 = nullptr; // ProgramPassword
    QLineEdit* Text7 = nullptr; // OAuthClientMicrosoft
    QLineEdit* Text8 = nullptr; // OAuthClientGoogle
    QLineEdit* Text9 = nullptr; // OAuthClientOther
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check4 = nullptr;
    QCheckBox* Check5 = nullptr;
    QCheckBox* Check6 = nullptr;
    QCheckBox* Check7 = nullptr;
    QCheckBox* Check8 = nullptr;
    QCheckBox* Check9 = nullptr;
    QCheckBox* Check10 = nullptr;
    QCheckBox* Check11 = nullptr;
    QCheckBox* Check12 = nullptr; // UseLearning
    QListWidget* List1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QList<QWidget*> tabOrder_;
    const bool learningAvailable_;
};
