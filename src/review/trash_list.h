#pragma once

#include "review/grid_model.h"

#include <QDate>
#include <QList>
#include <QString>
#include <functional>

// The Trash browser's list: the copies the processing run keeps in the Trash folder, one grid
// row each ("Date", "From", "Subject", "File"), newest first, and what the window does with the
// current row. Occupied rows run from row 1 without gaps; a row is occupied when its "File" cell
// is not empty.
class TrashList {
public:
    enum Column { Date, From, Subject, File, Count };
    static constexpr int FirstRows = 100;

    // A copy as the scan finds it.
    struct Copy {
        QDate day; // last modified, local time
        QString from;
        QString subject;
        QString file;
    };

    TrashList();

    GridModel& grid() { return grid_; }
    const GridModel& grid() const { return grid_; }

    // The scan: reads every file of `folder` in name order, sorts the copies newest first and
    // fills the grid. Progress lines go to `log` while it runs.
    void scan(const QString& folder, const std::function<void(const QString&)>& log);

    // The column widths for a usable grid width in twips and the columns' shares of it.
    void setColumnWidths(double usableTwips, const QList<double>& shares);

    // MSFlexGrid1_Click: the current row's copy as the pane shows it, the header only when
    // `withHeader`; the whole row appears selected.
    QString showCurrent(bool withHeader);

    // Command3_Click: deletes the current row's file and moves the rows below it up. True, with
    // nothing changed, when the file is there but cannot be deleted.
    bool deleteCurrent();

    // The full path of the current row's copy, or "" for an empty row.
    QString currentPath() const;

private:
    QString currentFile() const;
    void fill(const QList<Copy>& copies, int rows);

    QString folder_;
    GridModel grid_;
};

// Newest day first; copies of the same day keep their order.
void sortNewestFirst(QList<TrashList::Copy>& copies);
