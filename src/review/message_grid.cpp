#include "review/message_grid.h"

#include "review/message_table.h"
#include "review/message_viewer.h"
#include "review/text_pane.h"
#include "store/global.h"
#include "store/text_file.h"

namespace {

const QString Enabled = QStringLiteral("1");
const QString Disabled;

struct Step {
    QString action;
    uint colour;
};

// The action a click on the "Action" cell gives. The table only ever holds the four codes;
// anything else starts the cycle again.
Step nextAction(const QString& action) {
    if (action == action::Delete)
        return {action::Blacklist, colour::LightGrey};
    if (action == action::Blacklist)
        return {action::Whitelist, colour::White};
    if (action == action::Whitelist)
        return {action::Keep, colour::White};
    return {action::Delete, colour::LightRed};
}

} // namespace

MessageGrid::MessageGrid(MessageTable& table, TextPane& pane, Global& global)
    : table_(table), pane_(pane), global_(global) {}

void MessageGrid::MSFlexGrid1_Click(bool showRaw, bool showHeader) {
    clickCurrent(showRaw, showHeader, true);
}

bool MessageGrid::Check1_Click(bool showRaw, bool showHeader) {
    clickCurrent(showRaw, showHeader, false);
    return showRaw;
}

void MessageGrid::Check2_Click(bool showRaw, bool showHeader) {
    clickCurrent(showRaw, showHeader, false);
}

void MessageGrid::clickCurrent(bool showRaw, bool showHeader, bool onActionCycles) {
    pane_.clear();
    const int row = table_.grid().Row();
    // The title row holds no message.
    if (row < 1 || !table_.isOccupied(row))
        return;
    if (onActionCycles && table_.grid().Col() == col::Action)
        cycleAction(row);
    else
        showMessage(showRaw, showHeader);
}

void MessageGrid::showMessage(bool showRaw, bool showHeader) {
    GridModel& grid = table_.grid();
    grid.setCol(col::File);
    if (showRaw)
        pane_.setText(
            rawMessageText(textfile::readLines(global_.dataPath(grid.Text())), showHeader));
    else
        ShowEmail(table_, pane_, global_);
    // Columns 1 to 10 of the row appear selected.
    grid.setColSel(col::From);
}

// Reason stays: it explains the classifier's proposal, whatever the user picks.
void MessageGrid::cycleAction(int row) {
    GridModel& grid = table_.grid();
    const Step step = nextAction(grid.Text());
    grid.setText(step.action);
    for (int column = 0; column < col::Count; ++column)
        grid.setCellBackColor(row, column, step.colour);
    grid.setCol(col::File);
}

void MessageGrid::markAllD() {
    markUnmarked(action::Delete, colour::LightRed);
}

void MessageGrid::markAllB() {
    markUnmarked(action::Blacklist, colour::LightGrey);
}

void MessageGrid::markUnmarked(const QString& action, uint colour) {
    for (int row = 1; table_.isOccupied(row); ++row)
        if (table_.cell(row, col::Action).isEmpty())
            table_.ColourRow(action, row, colour, QString());
}

void MessageGrid::markDAsB() {
    for (int row = 1; table_.isOccupied(row); ++row)
        if (table_.cell(row, col::Action) == action::Delete)
            table_.ColourRow(action::Blacklist, row, colour::LightGrey,
                             table_.cell(row, col::Reason));
}

void MessageGrid::List2_Click(const QList<bool>& selected) {
    for (qsizetype i = 0; i < selected.size(); ++i)
        global_.accounts.row(static_cast<int>(i) + 1).Enabled = selected[i] ? Enabled : Disabled;
}
