#include "lists/grid.h"

#include <algorithm>

namespace calvex {

namespace {

// The [begin, end) range of field `col` in a TAB-separated row, or npos when absent.
std::pair<std::size_t, std::size_t> fieldRange(const std::string& row, int col) {
    std::size_t begin = 0;
    for (int i = 0; i < col; ++i) {
        const std::size_t tab = row.find('\t', begin);
        if (tab == std::string::npos)
            return {std::string::npos, std::string::npos};
        begin = tab + 1;
    }
    const std::size_t tab = row.find('\t', begin);
    return {begin, tab == std::string::npos ? row.size() : tab};
}

}  // namespace

Grid::Grid(int cols, int rows)
    : m_widths(static_cast<std::size_t>(std::max(cols, 1)), 64), m_cols(std::max(cols, 1)) {
    m_rows.resize(static_cast<std::size_t>(std::max(rows, 1)));
    m_told = this->rows();
}

void Grid::setRows(int rows) {
    rows = std::max(rows, 1);
    m_rows.resize(static_cast<std::size_t>(rows));
    m_rows.shrink_to_fit();
    m_row = std::min(m_row, rows - 1);
    m_topRow = std::min(m_topRow, std::max(rows - 1, 1));
    m_told = rows;
    if (m_observer)
        m_observer->gridReset();
}

void Grid::setRow(int row) {
    m_row = std::clamp(row, 0, rows() - 1);
    if (m_observer)
        m_observer->currentCellChanged(m_row, m_col);
}

void Grid::setCol(int col) {
    m_col = std::clamp(col, 0, m_cols - 1);
    if (m_observer)
        m_observer->currentCellChanged(m_row, m_col);
}

std::string Grid::cell(int row, int col) const {
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return {};
    const std::string& text = m_rows[static_cast<std::size_t>(row)];
    const auto [begin, end] = fieldRange(text, col);
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, end - begin);
}

void Grid::setCell(int row, int col, std::string_view value) {
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return;
    std::string& text = m_rows[static_cast<std::size_t>(row)];
    auto [begin, end] = fieldRange(text, col);
    if (begin == std::string::npos) {
        // Pad the row with empty fields up to the column.
        int fields = static_cast<int>(std::count(text.begin(), text.end(), '\t')) + 1;
        for (; fields <= col; ++fields)
            text.push_back('\t');
        begin = end = text.size();
    }
    // A TAB inside a cell would shift the columns behind it.
    std::string clean(value);
    std::replace(clean.begin(), clean.end(), '\t', ' ');
    text.replace(begin, end - begin, clean);
    if (m_observer)
        m_observer->cellChanged(row, col);
}

void Grid::addItem(std::string_view text) {
    m_rows.emplace_back(text);
    tellAppended();
}

void Grid::tellAppended() {
    const int first = m_told;
    m_told = rows();
    if (m_observer && first < m_told)
        m_observer->rowsAppended(first, m_told - 1);
}

int Grid::columnWidth(int col) const {
    if (col < 0 || col >= m_cols)
        return 0;
    return m_widths[static_cast<std::size_t>(col)];
}

void Grid::setColumnWidth(int col, int width) {
    if (col < 0 || col >= m_cols)
        return;
    m_widths[static_cast<std::size_t>(col)] = std::max(width, 0);
    if (m_observer)
        m_observer->columnWidthChanged(col);
}

void Grid::setTopRow(int row) {
    m_topRow = std::clamp(row, 1, std::max(rows() - 1, 1));
    if (m_observer)
        m_observer->topRowChanged(m_topRow);
}

}  // namespace calvex
