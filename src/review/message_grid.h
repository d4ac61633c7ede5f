#pragma once

#include <QList>
#include <QString>

class Global;
class MessageTable;
class TextPane;

// What the user does with the message table: clicking its cells, the two display check boxes,
// the mark-all buttons and the account list. The main window's slots call these with the
// states of their controls; nothing here touches a widget.
class MessageGrid {
public:
    MessageGrid(MessageTable& table, TextPane& pane, Global& global);

    // MSFlexGrid1_Click, after the grid has moved its current cell to the clicked one. A
    // message cell shows the row's message (decoded, or raw with or without its header, as the
    // check boxes "Show raw text" and "Show header" say); the "Action" cell cycles the action
    // "" -> "D" -> "B" -> "W" -> "". Either way the "File" column is left current.
    void MSFlexGrid1_Click(bool showRaw, bool showHeader);

    // Check1_Click ("Show raw text") and Check2_Click ("Show header"): show the current row
    // again, whatever cell of it is current; a check box never changes an action. Check1_Click
    // returns whether the "Show header" check box is to be enabled.
    bool Check1_Click(bool showRaw, bool showHeader);
    void Check2_Click(bool showRaw, bool showHeader);

    // Command8 "Mark all D" and Command9 "Mark all B": every unmarked row gets the action, its
    // colour and an empty reason.
    void markAllD();
    void markAllB();
    // Command11 "D >> B": every "D" row becomes "B", keeping its reason.
    void markDAsB();

    // List2_Click: the account list's selection, one entry per list position in account
    // order, becomes the accounts' Enabled fields ("1" or "").
    void List2_Click(const QList<bool>& selected);

private:
    // Shows the current row's message, or cycles its action when that cell is current and
    // `onActionCycles`.
    void clickCurrent(bool showRaw, bool showHeader, bool onActionCycles);
    void showMessage(bool showRaw, bool showHeader);
    void cycleAction(int row);
    void markUnmarked(const QString& action, uint colour);

    MessageTable& table_;
    TextPane& pane_;
    Global& global_;
};
