#pragma once

#include "ui/grid_view.h"

// The grid of an editor window. Space or Enter acts on the current cell as a click does, so
// the keyboard reaches everything the mouse does, and Tab leaves the grid.
class EditorGrid : public GridView {
    Q_OBJECT
public:
    EditorGrid(GridModel& grid, Twips twips, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
