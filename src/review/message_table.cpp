#include "review/message_table.h"

#include <cmath>

namespace {

const std::array<const char*, col::Count> Titles = {
    "Action", "From", "Subject", "Account", "To", "Size", "Reason", "IP", "Bytes", "N", "File"};
constexpr int UsableMargin = 90;

} // namespace

MessageTable::MessageTable() : grid_(col::Count, InitialRows) {
    for (int c = 0; c < col::Count; ++c) {
        grid_.setTextMatrix(0, c, QString::fromLatin1(Titles[c]));
        const bool centred = c == col::Action || c == col::Size;
        grid_.setColAlignment(c, centred ? GridModel::AlignCentre : GridModel::AlignLeft);
    }
}

int MessageTable::occupiedRows() const {
    int r = 1;
    while (isOccupied(r))
        ++r;
    return r - 1;
}

void MessageTable::ColourRow(const QString& action, int r, uint c, const QString& reason) {
    const int keptRow = grid_.Row();
    grid_.setTextMatrix(r, col::Action, action);
    grid_.setTextMatrix(r, col::Reason, reason);
    for (int column = 0; column < col::Count; ++column)
        grid_.setCellBackColor(r, column, c);
    grid_.setRow(keptRow);
    grid_.setCol(col::File);
}

void MessageTable::ClearGrid() {
    const GridModel::Batch batch(grid_);
    for (int r = 1; r < grid_.Rows(); ++r)
        for (int column = 0; column < col::Count; ++column) {
            grid_.setTextMatrix(r, column, QString());
            grid_.setCellBackColor(r, column, colour::White);
        }
    ids_.clear();
    grid_.setRow(1);
    grid_.setTopRow(1);
}

std::array<int, col::Count> MessageTable::columnWidths(int gridWidth, double scrollBarTwips) {
    const double usable = std::round(gridWidth - scrollBarTwips - UsableMargin);
    std::array<int, col::Count> widths{};
    for (int c = 0; c < col::Count; ++c)
        widths[c] = static_cast<int>(std::lround(usable * WidthShares[c]));
    return widths;
}

void MessageTable::setColumnWidths(int gridWidth, double scrollBarTwips) {
    const auto widths = columnWidths(gridWidth, scrollBarTwips);
    for (int c = 0; c < col::Count; ++c)
        grid_.setColWidth(c, widths[c]);
}
