#pragma once

#include "ui/twips.h"

#include <QTableView>

class GridModel;
class QIdentityProxyModel;

// The grid control on screen: renders a GridModel (texts, per-cell colours, alignments, column
// widths in twips), follows its current cell, top row and selection, and hands the user's
// moves back: a click moves the model's current cell and raises its Click, a keyboard move
// moves the model's current cell alone.
class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(GridModel& grid, Twips twips, QWidget* parent = nullptr);

    GridModel& grid() { return grid_; }

private:
    void applyColumnWidth(int col, int twips);
    void showSelection(int row, int fromCol, int toCol);
    void scrollToRow(int row);
    void followModel(int row, int col);
    void followView(const QModelIndex& current);
    void cellClicked(const QModelIndex& index);

    GridModel& grid_;
    QIdentityProxyModel* colours_;
    Twips twips_;
};
