#pragma once

#include <QAbstractTableModel>

#include "lists/grid.h"

namespace calvex {

// The Grid as a Qt table: model rows are the grid's data rows (grid row 1 is model row 0), and
// the header row 0 is the horizontal header. Cells are read from the grid's own row texts on
// demand, so a list of tens of thousands of rows costs the view nothing per row. A cell longer
// than kMaxShownCharacters is shown cut short with an ellipsis.
//
// The model is the grid's observer; the grid must outlive it.
class GridTableModel : public QAbstractTableModel, public GridObserver {
    Q_OBJECT

public:
    // The most characters a cell shows; the grid keeps the whole text.
    static constexpr int kMaxShownCharacters = 256;

    explicit GridTableModel(Grid& grid, QObject* parent = nullptr);
    ~GridTableModel() override;

    Grid& grid() const { return m_grid; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // GridObserver
    void rowsAppended(int first, int last) override;
    void gridReset() override;
    void cellChanged(int row, int col) override;
    void columnWidthChanged(int col) override;
    void topRowChanged(int row) override;
    void currentCellChanged(int row, int col) override;

signals:
    // In grid rows and columns.
    void topRowMoved(int row);
    void currentCellMoved(int row, int col);
    void columnResized(int col, int width);

private:
    Grid& m_grid;
    // Data rows the view has been told of; the grid has just grown past it while a change is told.
    int m_rows;
};

}  // namespace calvex
