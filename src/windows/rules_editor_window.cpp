#include "windows/rules_editor_window.h"

#include "store/global.h"
#include "store/text.h"
#include "ui/grid_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace {

const QString Caption = QStringLiteral("Rules Editor");
const QString Heading = QStringLiteral("Spam Rules");
const QString WhereLabel = QStringLiteral(" Where:");
const QString ContainsLabel = QStringLiteral("Contains:");
const QString Explanation = QStringLiteral(
    "Create rules to identify spam. A rule consists of a word or phrase to search for. You can "
    "add additional words and phrases using AND, OR and NOT.");
const QString UseExplanation = QStringLiteral("Click in the Use column to indicate that this rule "
                                              "is to be used. X=Use this rule, blank=Do not use.");
const QString WhitelistExplanation = QStringLiteral(
    "The whitelist has priority over rules, so rules don't affect whitelisted senders.");
const QStringList Places = {QStringLiteral("Anywhere"), QStringLiteral("Head"),
                            QStringLiteral("Body"), QStringLiteral("Subject")};
const QStringList Operators = {QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT")};
const QString Titles[] = {QStringLiteral("Use"), QStringLiteral("Where"),
                          QStringLiteral("Contains")};
constexpr double Shares[] = {0.05, 0.15, 0.8};
constexpr int Alignments[] = {GridModel::AlignCentre, GridModel::AlignCentre, GridModel::AlignLeft};
const QString GridName = QStringLiteral("Spam rules");
const QString InUse = QStringLiteral("X");
const QString TwoSpaces = QStringLiteral("  ");
const QString OneSpace = QStringLiteral(" ");
const QString TooManyRules = QStringLiteral("Mailweir keeps at most 999 rules.      \r\n"
                                            "Delete a rule before you enter a new one.      ");

constexpr int PhraseLength = 100;
constexpr int FirstRows = 20;
constexpr int SpareRows = 5;
constexpr int GridWidth = 9000;
constexpr int GridHeight = 3600;
constexpr int WhereCol = 1;
constexpr int ContainsCol = 2;
constexpr int FirstOpField = 3; // Op2; each operator is followed by its phrase

// Every pair of spaces becomes one, in one pass from the left, and letters become lower case.
// Leading and trailing spaces stay: they make a phrase match only a whole word.
QString squeezed(const QString& typed) {
    return QString(typed).replace(TwoSpaces, OneSpace).toLower();
}

QString containsText(const Rule& rule) {
    return QStringList{rule.Phrase1, rule.Op2, rule.Phrase2, rule.Op3,
                       rule.Phrase3, rule.Op4, rule.Phrase4}
        .join(OneSpace);
}

// A Where or an operator from a hand-edited file that is none of the items leaves the box as it is.
void pick(QComboBox* box, const QString& item) {
    const int index = box->findText(item);
    if (index >= 0)
        box->setCurrentIndex(index);
}

} // namespace

RulesEditorWindow::RulesEditorWindow(Global& global, Platform& platform, QWidget* parent)
    : EditorWindow(global, platform, parent, "RulesEditor", Caption), slots_(LastSlot + 1),
      grid_(3, FirstRows) {
    const QList<Rule>& rules = global_.rules.rules();
    for (qsizetype i = 0; i < rules.size(); ++i)
        slots_[i + 1] = rules[i];
    createControls();
    Form_Load();
}

QComboBox* RulesEditorWindow::makeCombo(const char* name, const QStringList& items,
                                        const QString& accessible) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    box->setAccessibleName(accessible);
    return box;
}

void RulesEditorWindow::createControls() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading(Heading));
    layout->addWidget(makeLabel(Explanation));
    MSFlexGrid1 = new GridView(grid_, twips_, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setAccessibleName(GridName);
    MSFlexGrid1->setFixedSize(pixels(GridWidth, GridHeight));
    layout->addWidget(MSFlexGrid1);
    layout->addWidget(makeLabel(UseExplanation));
    layout->addLayout(editFields());
    layout->addWidget(makeLabel(WhitelistExplanation));

    Command1 = makeButton("Command1", QStringLiteral("Enter"), QStringLiteral(" Enter rule "));
    Command4 =
        makeButton("Command4", QStringLiteral("Delete"), QStringLiteral(" Delete selected rule "));
    Command2 = makeButton("Command2", QStringLiteral("Save"));
    Command3 = makeButton("Command3", QStringLiteral("Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command4);
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    layout->addLayout(buttons);

    connect(&grid_, &GridModel::Click, this, &RulesEditorWindow::MSFlexGrid1_Click);
    connect(Command1, &QPushButton::clicked, this, &RulesEditorWindow::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &RulesEditorWindow::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &RulesEditorWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &RulesEditorWindow::reject);
}

// The where box and the first phrase share a line with the first operator and the second
// phrase; the third and fourth pairs stand below them.
QLayout* RulesEditorWindow::editFields() {
    auto* fields = new QGridLayout;
    Combo3 = makeCombo("Combo3", Places, QString());
    Text1 = makeBox("Text1", PhraseLength, QString());
    Combo1 = makeCombo("Combo1", Operators, QStringLiteral("Second operator"));
    Text2 = makeBox("Text2", PhraseLength, QString(), QStringLiteral("Second phrase"));
    Combo2 = makeCombo("Combo2", Operators, QStringLiteral("Third operator"));
    Text3 = makeBox("Text3", PhraseLength, QString(), QStringLiteral("Third phrase"));
    Combo4 = makeCombo("Combo4", Operators, QStringLiteral("Fourth operator"));
    Text4 = makeBox("Text4", PhraseLength, QString(), QStringLiteral("Fourth phrase"));
    fields->addWidget(makeLabel(WhereLabel, Combo3), 0, 0);
    fields->addWidget(makeLabel(ContainsLabel, Text1), 0, 1);
    QWidget* const order[] = {Combo3, Text1, Combo1, Text2, Combo2, Text3, Combo4, Text4};
    for (int i = 0; i < 8; ++i) {
        fields->addWidget(order[i], 1 + i / 4, i % 4);
        if (i > 0)
            setTabOrder(order[i - 1], order[i]);
    }
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);
    return fields;
}

void RulesEditorWindow::Form_Load() {
    const double usable = usableWidth(GridWidth);
    for (int c = 0; c < 3; ++c) {
        grid_.setColWidth(c, static_cast<int>(std::lround(usable * Shares[c])));
        grid_.setColAlignment(c, Alignments[c]);
    }
    const int firstFree = static_cast<int>(global_.rules.rules().size()) + 1;
    if (grid_.Rows() < firstFree + SpareRows)
        grid_.setRows(firstFree + SpareRows);
    grid_.setCurrentCell(1, WhereCol);
    DisplayRules();
    MSFlexGrid1_Click();
}

const Rule& RulesEditorWindow::slot(int i) const {
    static const Rule none;
    return i >= 1 && i <= LastSlot ? slots_[i] : none;
}

void RulesEditorWindow::tableChanged() {
    global_.rules.setRules(slots_.mid(1));
}

void RulesEditorWindow::DisplayRules() {
    grid_.Clear();
    for (int c = 0; c < 3; ++c)
        grid_.setTextMatrix(0, c, Titles[c]);
    for (int i = 1; !slot(i).Where.isEmpty(); ++i) {
        grid_.setTextMatrix(i, 0, slot(i).Use);
        grid_.setTextMatrix(i, WhereCol, slot(i).Where);
        grid_.setTextMatrix(i, ContainsCol, containsText(slot(i)));
    }
    if (grid_.Rows() - grid_.Row() < SpareRows)
        grid_.setRows(grid_.Rows() + SpareRows);
}

// Rows beyond the last slot are left alone.
void RulesEditorWindow::showRow(int row) {
    if (row < 1 || row > LastSlot)
        return;
    const Rule& rule = slot(row);
    pick(Combo3, rule.Where);
    Text1->setText(rule.Phrase1);
    pick(Combo1, rule.Op2);
    Text2->setText(rule.Phrase2);
    pick(Combo2, rule.Op3);
    Text3->setText(rule.Phrase3);
    pick(Combo4, rule.Op4);
    Text4->setText(rule.Phrase4);
    selectRow();
}

void RulesEditorWindow::selectRow() {
    grid_.setCol(ContainsCol);
    grid_.setColSel(0);
}

void RulesEditorWindow::MSFlexGrid1_Click() {
    const int r = grid_.Row();
    if (r >= 1 && r <= LastSlot && grid_.Col() == 0) {
        Rule& rule = slots_[r];
        rule.Use = rule.Use.isEmpty() ? InUse : QString();
        grid_.setTextMatrix(r, 0, rule.Use);
        tableChanged();
    }
    showRow(r);
}

bool RulesEditorWindow::refusesPhrases() {
    for (const QLineEdit* box : {Text1, Text2, Text3, Text4})
        if (refuses(box))
            return true;
    return false;
}

// A rule lands on the current row when that holds a rule or follows the last one, otherwise
// in the first free slot after the last rule.
void RulesEditorWindow::Command1_Click() {
    int r = qMax(1, grid_.Row());
    while (r >= 2 && slot(r - 1).Where.isEmpty())
        --r;
    grid_.setRow(r);
    if (text::trimSpaces(Text1->text()).isEmpty()) {
        selectRow();
        return;
    }
    if (r >= LastSlot) {
        tell(TooManyRules);
        return;
    }
    if (refusesPhrases())
        return;
    Rule& rule = slots_[r];
    rule.Use = InUse;
    rule.Where = Combo3->currentText();
    rule.Phrase1 = squeezed(Text1->text());
    const auto fields = rule.fields();
    const QComboBox* operators[] = {Combo1, Combo2, Combo4};
    const QLineEdit* phrases[] = {Text2, Text3, Text4};
    for (int k = 0; k < 3; ++k) {
        const bool used = !text::trimSpaces(phrases[k]->text()).isEmpty();
        *fields[FirstOpField + 2 * k] = used ? operators[k]->currentText() : QString();
        *fields[FirstOpField + 2 * k + 1] = used ? squeezed(phrases[k]->text()) : QString();
    }
    tableChanged();
    selectRow();
    DisplayRules();
}

// The rules below move up one slot. The rule now in the row is loaded without the click
// handler, so a Use column the keyboard left current never switches it.
void RulesEditorWindow::Command4_Click() {
    const int r = grid_.Row();
    if (r >= 1 && r < LastSlot) {
        for (int s = r; s < LastSlot; ++s) {
            slots_[s] = slot(s + 1);
            if (slots_[s].Where.isEmpty())
                break;
        }
        tableChanged();
    }
    DisplayRules();
    showRow(r);
}

void RulesEditorWindow::Command2_Click() {
    if (saveFailed(global_.rules.save(global_.DataFolder),
                   QString::fromLatin1(RuleTable::FileName)))
        return;
    accept();
}
