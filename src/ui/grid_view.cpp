#include "ui/grid_view.h"

#include "review/grid_model.h"

#include <QColor>
#include <QHeaderView>
#include <QIdentityProxyModel>

namespace {

// Paints the model's 0x00BBGGRR cell colours as background brushes.
class ColourProxy : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::BackgroundRole)
            return QIdentityProxyModel::data(index, role);
        const uint bgr = QIdentityProxyModel::data(index, GridModel::ColourRole).toUInt();
        return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
    }
};

} // namespace

GridView::GridView(GridModel& grid, Twips twips, QWidget* parent)
    : QTableView(parent), grid_(grid), colours_(new ColourProxy(this)), twips_(twips) {
    colours_->setSourceModel(&grid_);
    setModel(colours_);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->hide(); // the grid has no fixed columns
    // Moving the current cell never scrolls; only the top row does, as the program sets it.
    setAutoScroll(false);
    for (int c = 0; c < grid_.Cols(); ++c)
        applyColumnWidth(c, grid_.ColWidth(c));

    connect(&grid_, &GridModel::columnWidthChanged, this, &GridView::applyColumnWidth);
    connect(&grid_, &GridModel::topRowChanged, this, &GridView::scrollToRow);
    connect(&grid_, &GridModel::selectionChanged, this, &GridView::showSelection);
    connect(&grid_, &GridModel::currentCellChanged, this, &GridView::followModel);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &GridView::followView);
    connect(this, &QTableView::clicked, this, &GridView::cellClicked);
}

void GridView::applyColumnWidth(int col, int twips) {
    if (twips > 0)
        setColumnWidth(col, twips_.toPixels(twips));
}

void GridView::showSelection(int row, int fromCol, int toCol) {
    if (row < 1)
        return;
    const QModelIndex from = colours_->index(row - 1, qMin(fromCol, toCol));
    const QModelIndex to = colours_->index(row - 1, qMax(fromCol, toCol));
    // The user cannot select by hand; only the program's selection end shows.
    selectionModel()->select(QItemSelection(from, to), QItemSelectionModel::ClearAndSelect);
}

void GridView::scrollToRow(int row) {
    if (row >= 1)
        scrollTo(colours_->index(row - 1, 0), QAbstractItemView::PositionAtTop);
}

void GridView::followModel(int row, int col) {
    if (row >= 1)
        setCurrentIndex(colours_->index(row - 1, col));
}

// The arrow keys move the view's current cell; the model's follows, so what acts on the
// current row acts on the one the focus frame shows.
void GridView::followView(const QModelIndex& current) {
    if (current.isValid() && (grid_.Row() != current.row() + 1 || grid_.Col() != current.column()))
        grid_.setCurrentCell(current.row() + 1, current.column());
}

// The view reports no click for the second half of a double click, so a double click on an
// Action cell steps it once.
void GridView::cellClicked(const QModelIndex& index) {
    if (index.isValid())
        grid_.click(index.row() + 1, index.column());
}
