#pragma once

#include "review/grid_model.h"
#include "windows/editor_window.h"

struct Account;
class Secrets;
class GridView;
class SignInBox;

// The Accounts window: creates, changes and removes POP3 accounts on a copy of the account
// table held in its grid. Only Save copies the grid back into the account table and writes
// Accounts.txt; Cancel, Escape and the close box store nothing.
//
// For the main window (Edit > Accounts): run the password guard (GetPassword) first and open
// the window only when it passes; after run() returns, whatever it returned, refill the
// account list from the account table (ListAccounts).
class AccountsWindow : public EditorWindow {
    Q_OBJECT
public:
    AccountsWindow(Global& global, Platform& platform, Secrets& secrets, QWidget* parent = nullptr);

private:
    static constexpr int Columns = 10;
    static constexpr int GridRows = 50;

    struct BoxSpec {
        QLineEdit* AccountsWindow::*box;
        const char* name;
        const char* label;
        int column;
        int maxLength;
        const char* tip;
    };
    static const BoxSpec Boxes[];

    void createControls();
    void Form_Load();
    void MSFlexGrid1_Click();
    void Command1_Click(); // Enter
    void Command4_Click(); // Delete
    void Command2_Click(); // Save

    int firstFreeRow(int row) const;
    Account rowAccount(int r) const;
    bool refusesEntry(int row, bool isNew);

    Secrets& secrets_;
    GridModel grid_{Columns, GridRows};
    GridView* MSFlexGrid1 = nullptr;
    QLineEdit* Text1 = nullptr; // name
    QLineEdit* Text2 = nullptr; // mail server
    QLineEdit* Text3 = nullptr; // username
    QLineEdit* Text4 = nullptr; // password
    QLineEdit* Text5 = nullptr; // port
    QLineEdit* Text6 = nullptr; // email address
    QPushButton* Command1 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    SignInBox* signIn_ = nullptr;
};
