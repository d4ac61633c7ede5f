#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

// The grid control: a rectangle of text cells with one background colour each, one title row
// (row 0) and no fixed columns, a current cell, a selection end column, a top visible row and
// column widths in twips. Grid rows 1..n-1 are the model's rows 0..n-2; row 0 is the header.
// Colours are 0x00BBGGRR values, offered to views under ColourRole.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr uint White = 0xFFFFFF;
    enum Role { ColourRole = Qt::UserRole + 1 };
    enum Alignment { AlignLeft = 1, AlignCentre = 4 };

    GridModel(int columns, int rows, QObject* parent = nullptr);

    // Row count including the title row. Growing appends white rows, shrinking drops rows.
    int Rows() const { return static_cast<int>(cells_.size()); }
    void setRows(int rows);
    int Cols() const { return columns_; }

    int Row() const { return row_; }
    int Col() const { return col_; }
    void setRow(int row);
    void setCol(int col);
    // Both at once, with one notice.
    void setCurrentCell(int row, int col);

    int TopRow() const { return topRow_; }
    void setTopRow(int row);

    int ColSel() const { return colSel_; }
    void setColSel(int col);

    QString Text() const { return TextMatrix(row_, col_); }
    void setText(const QString& text) { setTextMatrix(row_, col_, text); }

    // Outside the grid a read gives "" and a write does nothing.
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);

    uint CellBackColor(int row, int col) const;
    // Paints the current cell only.
    void setCellBackColor(uint colour);
    void setCellBackColor(int row, int col, uint colour);

    int ColWidth(int col) const { return colWidths_.value(col); }
    void setColWidth(int col, int twips);
    int ColAlignment(int col) const { return colAlignments_.value(col, AlignLeft); }
    void setColAlignment(int col, int alignment);

    // Empties the text of every cell, the title row included.
    void Clear();

    // What the view calls for a mouse click: moves the current cell, then raises Click.
    void click(int row, int col);

    // While one lives, the cell changes of a whole fill are gathered and announced as one
    // change notice when the outermost ends.
    class Batch {
    public:
        explicit Batch(GridModel& grid);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        GridModel& grid_;
    };

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    void Click();
    void currentCellChanged(int row, int col);
    void topRowChanged(int row);
    void selectionChanged(int row, int fromCol, int toCol);
    void columnWidthChanged(int col, int twips);

private:
    struct Cell {
        QString text;
        uint colour = White;
    };
    bool inside(int row, int col) const;
    void cellChanged(int row, int col, int role);
    void endBatch();

    int columns_;
    QList<QList<Cell>> cells_;
    QList<int> colWidths_;
    QList<int> colAlignments_;
    int row_ = 0;
    int col_ = 0;
    int topRow_ = 1;
    int colSel_ = 0;
    int batchDepth_ = 0;
    int changedFirst_ = 0; // the grid rows changed during the batch, or none when first > last
    int changedLast_ = -1;
};
