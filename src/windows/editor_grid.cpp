#include "windows/editor_grid.h"

#include "review/grid_model.h"

#include <QKeyEvent>

EditorGrid::EditorGrid(GridModel& grid, Twips twips, QWidget* parent)
    : GridView(grid, twips, parent) {
    setTabKeyNavigation(false);
}

void EditorGrid::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        grid().click(grid().Row(), grid().Col());
        event->accept();
        return;
    default:
        GridView::keyPressEvent(event);
    }
}
