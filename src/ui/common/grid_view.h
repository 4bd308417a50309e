#pragma once

#include <QTableView>
#include <QTimer>

#include "lists/grid.h"

namespace calvex {

class GridTableModel;

// A list's table on screen: the grid's header row as the column headers, the first column in
// the header's colours, the grid's column widths, its current cell and its top visible row.
// What the program sets in the grid shows here once pending events run (a burst of appended
// rows costs the view one update, not one per row); what the user does here (scrolling,
// clicking a cell) goes straight back into the grid.
class GridView : public QTableView {
    Q_OBJECT

public:
    // The grid must outlive the view.
    explicit GridView(Grid& grid, QWidget* parent = nullptr);

    GridTableModel* gridModel() const { return m_model; }
    // Data rows the view shows whole once it holds more rows than fit, with its vertical scroll
    // bar up: at least 1.
    int fullRowsInView() const;

protected:
    void updateGeometries() override;

private:
    void scheduleFollow();
    void followGrid();
    void showTopRow();
    void resizeColumn(int col, int width);
    void userScrolled(int value);
    void userMovedCurrent(const QModelIndex& current);

    Grid& m_grid;
    GridTableModel* m_model;
    QTimer m_follow;
    // True while the view follows the grid, so the change is not sent back.
    bool m_following = false;
};

}  // namespace calvex
