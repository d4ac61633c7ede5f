#pragma once

#include "windows/editor_window.h"

class LearningEngine;
class QProgressBar;

// Teaches the learned test from mail the user already sorted: a mail folder of spam and one of
// good mail, each a Maildir, a folder of message files or an mbox file. The messages go to the
// engine in steps, with a progress bar; Stop ends the teaching after the step under way.
class TeachWindow : public EditorWindow {
    Q_OBJECT
public:
    TeachWindow(Global& global, Platform& platform, LearningEngine& engine,
                QWidget* parent = nullptr);

protected:
    void reject() override;

private:
    QLayout* folderRow(QLineEdit*& box, QPushButton*& find, const char* boxName,
                       const char* findName, const QString& label);
    void Command1_Click(); // Teach
    void find(QLineEdit* box);
    void teach(const QList<QByteArray>& spam, const QList<QByteArray>& good);
    void setTeaching(bool teaching);

    LearningEngine& engine_;
    QLineEdit* Text1 = nullptr; // the spam folder
    QLineEdit* Text2 = nullptr; // the good mail folder
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label1 = nullptr;
    bool teaching_ = false;
    bool stopped_ = false;
    bool closeRequested_ = false;
};
