#pragma once

#include "ui/twips.h"

#include <QTableView>

class GridModel;
class QColor;

// The grid control on screen: renders a GridModel (texts, per-cell colours, alignments, column
// widths in twips), follows its current cell, top row and selection, and hands the user's
// moves back: a click moves the model's current cell and raises its Click, a keyboard move
// moves the model's current cell alone and scrolls it into view. Space or Enter acts as a
// click, so the keyboard reaches everything the mouse does; Tab leaves the grid. The text of
// each cell is dark or light, whichever reads better on the cell's colour, whatever the theme.
class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(GridModel& grid, Twips twips, QWidget* parent = nullptr);

    GridModel& grid() { return grid_; }

    // The text colour on light cells (black unless set); light cells are those on which it
    // reaches a contrast ratio of 4.5, and the others get white text.
    void setInk(const QColor& ink);
    // A grid whose `column` cycles a code when clicked: Space clicks that column of the current
    // row, and Enter the current cell, or the next column when the current one is `column`.
    // Without one, Space and Enter both click the current cell.
    void setActionColumn(int column) { actionColumn_ = column; }

    // The WCAG contrast ratio of two colours, 1 to 21.
    static double contrastRatio(const QColor& a, const QColor& b);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class ColourProxy;

    void applyColumnWidth(int col, int twips);
    void showSelection(int row, int fromCol, int toCol);
    void scrollToRow(int row);
    void followModel(int row, int col);
    void followView(const QModelIndex& current);
    void cellClicked(const QModelIndex& index);

    GridModel& grid_;
    ColourProxy* colours_;
    Twips twips_;
    int actionColumn_ = -1;
};
