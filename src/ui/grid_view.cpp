#include "ui/grid_view.h"

#include "review/grid_model.h"

#include <QColor>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QKeyEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr double ReadableContrast = 4.5; // WCAG AA for ordinary text

// The relative luminance of one sRGB channel.
double linear(double channel) {
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

} // namespace

// Paints the model's 0x00BBGGRR cell colours as background brushes, and the text in a colour
// that reads on them: the theme's text colour may be light, and the row colours are not.
class GridView::ColourProxy : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QColor ink = Qt::black;

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::BackgroundRole && role != Qt::ForegroundRole)
            return QIdentityProxyModel::data(index, role);
        const uint bgr = QIdentityProxyModel::data(index, GridModel::ColourRole).toUInt();
        const QColor background(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
        if (role == Qt::BackgroundRole)
            return background;
        return GridView::contrastRatio(ink, background) >= ReadableContrast ? ink
                                                                            : QColor(Qt::white);
    }
};

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
    // The program's own moves of the current cell never scroll; only the top row does, as the
    // program sets it, and the user's keyboard moves (keyPressEvent).
    setAutoScroll(false);
    setTabKeyNavigation(false);
    for (int c = 0; c < grid_.Cols(); ++c)
        applyColumnWidth(c, grid_.ColWidth(c));

    connect(&grid_, &GridModel::columnWidthChanged, this, &GridView::applyColumnWidth);
    connect(&grid_, &GridModel::topRowChanged, this, &GridView::scrollToRow);
    connect(&grid_, &GridModel::selectionChanged, this, &GridView::showSelection);
    connect(&grid_, &GridModel::currentCellChanged, this, &GridView::followModel);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &GridView::followView);
    connect(this, &QTableView::clicked, this, &GridView::cellClicked);
}

void GridView::setInk(const QColor& ink) {
    colours_->ink = ink;
}

double GridView::contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void GridView::keyPressEvent(QKeyEvent* event) {
    const int col = grid_.Col();
    switch (event->key()) {
    case Qt::Key_Space:
        grid_.click(grid_.Row(), actionColumn_ >= 0 ? actionColumn_ : col);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        grid_.click(grid_.Row(), col == actionColumn_ ? col + 1 : col);
        break;
    default:
        QTableView::keyPressEvent(event);
        if (currentIndex().isValid())
            scrollTo(currentIndex());
        return;
    }
    event->accept();
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
