#pragma once

#include <QTableView>

class GridModel;
class QIdentityProxyModel;

// The grid control on screen: renders a GridModel (texts, per-cell colours, alignments, column
// widths in twips), follows its current cell, top row and selection, and turns a mouse click
// into the model's Click after moving the current cell.
class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(GridModel& grid, double twipsPerPixel, QWidget* parent = nullptr);

    GridModel& grid() { return grid_; }

private:
    void applyColumnWidth(int col, int twips);
    void showSelection(int row, int fromCol, int toCol);
    void scrollToRow(int row);
    void cellClicked(const QModelIndex& index);

    GridModel& grid_;
    QIdentityProxyModel* colours_;
    double twipsPerPixel_;
};
