#pragma once

#include "review/text_pane.h"
#include "review/trash_list.h"
#include "windows/editor_window.h"

#include <QElapsedTimer>

class GridView;
class QAction;
class QCheckBox;
class QPlainTextEdit;
class QTimer;

// The Trash browser: lists the copies kept in the Trash folder, newest first, and lets the user
// read one, open it in the e-mail program, delete it, or show the folder in the file manager.
// The folder is scanned once, shortly after the window has appeared, so that the window and the
// scan's progress are visible while the files are read. Controls keep their places and sizes as
// fractions of the window when it is resized.
//
// For the main window (File > Trash browser, the Trash button): run the password guard first
// and open the window only when it passes.
class TrashBrowser : public EditorWindow {
    Q_OBJECT
public:
    TrashBrowser(Global& global, Platform& platform, QWidget* parent = nullptr);

public Q_SLOTS:
    void Timer1_Timer(); // the scan

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Place {
        QWidget* control;
        QRectF fraction; // of the window's inner width and height
    };

    void createControls();
    void place(QWidget* control, int left, int top, int width, int height);
    void connectControls();
    void logLine(const QString& line);
    void Form_Resize();
    void MSFlexGrid1_Click();
    void Command1_Click(); // View in OE
    void saveCopy();
    void Command3_Click(); // Delete
    void Command4_Click(); // Explorer

    TrashList list_;
    TextPane pane_;
    QList<Place> layoutRecord_;
    QElapsedTimer sincePainted_;
    bool scanStarted_ = false;
    GridView* MSFlexGrid1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QTimer* Timer1 = nullptr;
    QAction* SaveCopy = nullptr;
};
