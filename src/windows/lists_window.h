#pragma once

#include "windows/editor_window.h"

class EntryList;
class QListWidget;
class QRadioButton;

// The Lists window: views and edits the blacklist, the whitelist and the IP blacklist, one at
// a time in a sorted list box. Edits reach the in-memory list when the user switches to
// another list or saves; Save writes all three list files. Cancel, Escape and the close box
// reload all three lists from their files, so every change made in the window is discarded.
//
// For the main window (Edit > Black/white lists): run the password guard (GetPassword) first
// and open the window only when it passes. Nothing needs reloading afterwards: the window
// leaves the in-memory lists equal to the files either way.
class ListsWindow : public EditorWindow {
    Q_OBJECT
public:
    ListsWindow(Global& global, Platform& platform, QWidget* parent = nullptr);

    void reject() override;

private:
    void createControls();
    void connectControls();
    void showList(EntryList& list, const QString& tag);
    void store();
    EntryList& taggedList();
    void choose(EntryList& list, const QString& tag);
    QString prompt() const;
    void addAndSelect(const QString& entry);
    bool refusesEntry(const QString& entry, bool adding);
    int selectedIndex() const;
    void select(int index, int topIndex);
    void deselect();
    void findFrom(int start);

    void Command1_Click(); // Save
    void Command3_Click(); // Add
    void Command5_Click(); // Edit
    void Command4_Click(); // Delete
    void Command6_Click(); // Delete all
    void Command7_Click(); // Find
    void Command8_Click(); // Next

    QListWidget* List1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QString tag_; // which list the list box shows
};
