#include "review/grid_model.h"

GridModel::GridModel(int columns, int rows, QObject* parent)
    : QAbstractTableModel(parent), columns_(qMax(1, columns)), colWidths_(columns_, 0),
      colAlignments_(columns_, AlignLeft) {
    cells_.resize(qMax(1, rows), QList<Cell>(columns_));
    row_ = Rows() > 1 ? 1 : 0;
}

bool GridModel::inside(int row, int col) const {
    return row >= 0 && row < Rows() && col >= 0 && col < columns_;
}

void GridModel::setRows(int rows) {
    rows = qMax(1, rows);
    if (rows > Rows()) {
        beginInsertRows(QModelIndex(), Rows() - 1, rows - 2);
        cells_.resize(rows, QList<Cell>(columns_));
        endInsertRows();
    } else if (rows < Rows()) {
        beginRemoveRows(QModelIndex(), rows - 1, Rows() - 2);
        cells_.resize(rows);
        endRemoveRows();
        row_ = qMin(row_, rows - 1);
    }
}

void GridModel::setRow(int row) {
    row_ = qBound(0, row, Rows() - 1);
    Q_EMIT currentCellChanged(row_, col_);
}

void GridModel::setCol(int col) {
    col_ = qBound(0, col, columns_ - 1);
    Q_EMIT currentCellChanged(row_, col_);
}

void GridModel::setCurrentCell(int row, int col) {
    row_ = qBound(0, row, Rows() - 1);
    col_ = qBound(0, col, columns_ - 1);
    Q_EMIT currentCellChanged(row_, col_);
}

void GridModel::setTopRow(int row) {
    topRow_ = qBound(1, row, qMax(1, Rows() - 1));
    Q_EMIT topRowChanged(topRow_);
}

void GridModel::setColSel(int col) {
    colSel_ = qBound(0, col, columns_ - 1);
    Q_EMIT selectionChanged(row_, col_, colSel_);
}

QString GridModel::TextMatrix(int row, int col) const {
    return inside(row, col) ? cells_[row][col].text : QString();
}

void GridModel::setTextMatrix(int row, int col, const QString& text) {
    if (!inside(row, col) || cells_[row][col].text == text)
        return;
    cells_[row][col].text = text;
    cellChanged(row, col, Qt::DisplayRole);
}

uint GridModel::CellBackColor(int row, int col) const {
    return inside(row, col) ? cells_[row][col].colour : White;
}

void GridModel::setCellBackColor(uint colour) {
    setCellBackColor(row_, col_, colour);
}

void GridModel::setCellBackColor(int row, int col, uint colour) {
    if (!inside(row, col) || cells_[row][col].colour == colour)
        return;
    cells_[row][col].colour = colour;
    cellChanged(row, col, ColourRole);
}

void GridModel::setColWidth(int col, int twips) {
    if (col < 0 || col >= columns_)
        return;
    colWidths_[col] = twips;
    Q_EMIT columnWidthChanged(col, twips);
}

void GridModel::setColAlignment(int col, int alignment) {
    if (col < 0 || col >= columns_)
        return;
    colAlignments_[col] = alignment;
    if (Rows() > 1)
        Q_EMIT dataChanged(index(0, col), index(Rows() - 2, col), {Qt::TextAlignmentRole});
}

void GridModel::Clear() {
    for (auto& row : cells_)
        for (Cell& cell : row)
            cell.text.clear();
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    if (Rows() > 1)
        Q_EMIT dataChanged(index(0, 0), index(Rows() - 2, columns_ - 1), {Qt::DisplayRole});
}

void GridModel::click(int row, int col) {
    if (!inside(row, col))
        return;
    row_ = row;
    col_ = col;
    Q_EMIT currentCellChanged(row_, col_);
    Q_EMIT Click();
}

GridModel::Batch::Batch(GridModel& grid) : grid_(grid) {
    ++grid_.batchDepth_;
}

GridModel::Batch::~Batch() {
    if (--grid_.batchDepth_ == 0)
        grid_.endBatch();
}

void GridModel::endBatch() {
    const int first = changedFirst_;
    const int last = qMin(changedLast_, Rows() - 1);
    changedFirst_ = 0;
    changedLast_ = -1;
    if (first > last)
        return;
    if (first == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    if (last >= 1)
        Q_EMIT dataChanged(index(qMax(first, 1) - 1, 0), index(last - 1, columns_ - 1));
}

void GridModel::cellChanged(int row, int col, int role) {
    if (batchDepth_ > 0) {
        changedFirst_ = changedFirst_ > changedLast_ ? row : qMin(changedFirst_, row);
        changedLast_ = qMax(changedLast_, row);
        return;
    }
    if (row == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    const QModelIndex at = index(row - 1, col);
    Q_EMIT dataChanged(at, at, {role});
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Rows() - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !inside(index.row() + 1, index.column()))
        return QVariant();
    const Cell& cell = cells_[index.row() + 1][index.column()];
    switch (role) {
    case Qt::DisplayRole:
        return cell.text;
    case ColourRole:
        return cell.colour;
    case Qt::TextAlignmentRole:
        return ColAlignment(index.column()) == AlignCentre ? int(Qt::AlignCenter)
                                                           : int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return TextMatrix(0, section);
    return section + 1;
}
