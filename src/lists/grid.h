#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace calvex {

// Told of every change of a Grid, so a view can follow it.
class GridObserver {
public:
    virtual ~GridObserver() = default;
    virtual void rowsAppended(int first, int last) = 0;
    virtual void gridReset() = 0;
    virtual void cellChanged(int row, int col) = 0;
    virtual void columnWidthChanged(int col) = 0;
    virtual void topRowChanged(int row) = 0;
    virtual void currentCellChanged(int row, int col) = 0;
};

// A table of text cells: row 0 is the fixed header row, column 0 the fixed first column, data
// rows from row 1. Each row is kept as one TAB-separated text, which keeps a list of tens of
// thousands of rows small; cells are read by splitting on demand.
class Grid {
public:
    explicit Grid(int cols = 2, int rows = 1);

    int rows() const { return static_cast<int>(m_rows.size()); }
    // Cuts the grid down to (or pads it up to) `rows` rows; 1 keeps the header only.
    void setRows(int rows);
    int cols() const { return m_cols; }

    int row() const { return m_row; }
    int col() const { return m_col; }
    void setRow(int row);
    void setCol(int col);
    // The text of the current cell.
    std::string text() const { return cell(m_row, m_col); }
    void setText(std::string_view text) { setCell(m_row, m_col, text); }

    // A cell's text; "" outside the grid.
    std::string cell(int row, int col) const;
    void setCell(int row, int col, std::string_view text);
    // A whole row as kept (TAB-separated fields).
    const std::string& rowText(int row) const { return m_rows.at(static_cast<std::size_t>(row)); }

    // Appends a row after the last one; the text is split at each TAB into the cells from column 0 on.
    void addItem(std::string_view text);
    // The same, but the observer hears of it only at tellAppended(): a view that is told of rows
    // one by one does its bookkeeping for each, which a file of hundreds of thousands of rows
    // would spend most of its reading on.
    void addItemUntold(std::string_view text) { m_rows.emplace_back(text); }
    // Room for `rows` rows in all, so a known number of rows is added without moving the ones before.
    void reserveRows(std::size_t rows) { m_rows.reserve(rows); }
    // The same as addItemUntold with a row's text that the grid takes over rather than copies.
    void takeItemUntold(std::string&& text) { m_rows.push_back(std::move(text)); }
    // Tells the observer of the rows added untold, as one block.
    void tellAppended();

    int columnWidth(int col) const;
    void setColumnWidth(int col, int width);

    int topRow() const { return m_topRow; }
    void setTopRow(int row);

    void setObserver(GridObserver* observer) { m_observer = observer; }

private:
    std::vector<std::string> m_rows;
    // Rows the observer has been told of.
    int m_told = 1;
    std::vector<int> m_widths;
    int m_cols;
    int m_row = 0;
    int m_col = 0;
    int m_topRow = 1;
    GridObserver* m_observer = nullptr;
};

}  // namespace calvex
