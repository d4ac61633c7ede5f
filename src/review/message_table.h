#pragma once

#include "review/grid_model.h"
#include "store/action_code.h"

#include <QByteArray>
#include <QHash>

#include <array>

// The message table: the review grid of the main window, one row per retrieved message.
// A row is occupied when its File cell is not empty; occupied rows run from row 1 without gaps.
namespace col {
enum Column : int { Action = 0, From, Subject, Account, To, Size, Reason, IP, Bytes, N, File };
constexpr int Count = 11;
} // namespace col

// The row colours of the action codes, 0x00BBGGRR.
namespace colour {
constexpr uint LightRed = 0xC0C0FF;  // "D"
constexpr uint LightGrey = 0xC0C0C0; // "B"
constexpr uint White = 0xFFFFFF;     // "W" and ""
inline uint of(const QString& code) {
    return code == action::Delete ? LightRed : code == action::Blacklist ? LightGrey : White;
}
} // namespace colour

class MessageTable {
public:
    static constexpr int InitialRows = 50;
    // Shares of the usable width; they add up to more than 1, so the last columns are reached
    // by scrolling.
    static constexpr std::array<double, col::Count> WidthShares = {
        0.05, 0.25, 0.22, 0.08, 0.14, 0.038, 0.4, 0.15, 0.02, 0.05, 0.15};

    MessageTable();

    GridModel& grid() { return grid_; }
    const GridModel& grid() const { return grid_; }

    QString cell(int row, int column) const { return grid_.TextMatrix(row, column); }
    void setCell(int row, int column, const QString& text) {
        grid_.setTextMatrix(row, column, text);
    }
    bool isOccupied(int row) const { return !cell(row, col::File).isEmpty(); }
    // The number of occupied rows (they run from row 1).
    int occupiedRows() const;

    // Writes action and reason into row r and paints its cells; the current row is kept and
    // the current column is left at File.
    void ColourRow(const QString& action, int r, uint c, const QString& reason);
    // The unique id the server gave row r's message when it was retrieved; empty when it gave
    // none. Kept beside the grid rather than in a cell, so no column and no file changes.
    QByteArray messageId(int row) const { return ids_.value(row); }
    void setMessageId(int row, const QByteArray& id) { ids_.insert(row, id); }

    // Empties and whitens every row from 1 and forgets the message ids, makes row 1 current
    // and scrolls to it.
    void ClearGrid();

    // The column widths in twips for a grid `gridWidth` twips wide with a vertical scroll bar
    // `scrollBarTwips` wide.
    static std::array<int, col::Count> columnWidths(int gridWidth, double scrollBarTwips);
    void setColumnWidths(int gridWidth, double scrollBarTwips);

private:
    GridModel grid_;
    QHash<int, QByteArray> ids_;
};
