#pragma once

#include "review/grid_model.h"
#include "store/data_files.h"
#include "windows/editor_window.h"

class GridView;
class QComboBox;

// The Rules Editor window: creates, changes, switches on and off and deletes the spam rules.
// Every Enter, Delete and click in the Use column goes straight into the in-memory rule
// table; Save writes Rules.txt and closes, Cancel, Escape and the close box close without
// writing.
//
// For the main window (Edit > Rules): no password guard. After run() returns, whatever it
// returned, reload the rule table from Rules.txt (LoadRules), so only saved changes last.
class RulesEditorWindow : public EditorWindow {
    Q_OBJECT
public:
    RulesEditorWindow(Global& global, Platform& platform, QWidget* parent = nullptr);

private:
    // Slots 1 to 1000; the rules run from slot 1 to the first empty Where, 999 at most.
    static constexpr int LastSlot = 1000;

    void createControls();
    QLayout* editFields();
    QComboBox* makeCombo(const char* name, const QStringList& items, const QString& accessible);
    void Form_Load();
    void DisplayRules();
    void MSFlexGrid1_Click();
    void Command1_Click(); // Enter
    void Command4_Click(); // Delete
    void Command2_Click(); // Save

    const Rule& slot(int i) const;
    void showRow(int row);
    void selectRow();
    void tableChanged();
    bool refusesPhrases();

    QList<Rule> slots_;
    GridModel grid_;
    GridView* MSFlexGrid1 = nullptr;
    QComboBox* Combo3 = nullptr; // where
    QComboBox* Combo1 = nullptr; // second operator
    QComboBox* Combo2 = nullptr; // third operator
    QComboBox* Combo4 = nullptr; // fourth operator
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
};
