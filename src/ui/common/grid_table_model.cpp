#include "ui/common/grid_table_model.h"

#include <QGuiApplication>
#include <QPalette>
#include <string_view>

namespace calvex {

namespace {

QString cellText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A cell as shown: a text longer than kMaxShownCharacters shows its beginning and an ellipsis.
// Laying out a line of megabytes takes the view seconds on every repaint, and no column is
// that wide. The field is looked up in the row's own text, so a long row is not copied either.
QString shownCell(const Grid& grid, int row, int col) {
    std::string_view text = grid.rowText(row);
    for (int i = 0; i < col; ++i) {
        const std::size_t tab = text.find('\t');
        if (tab == std::string_view::npos)
            return {};
        text.remove_prefix(tab + 1);
    }
    const std::size_t shown = static_cast<std::size_t>(GridTableModel::kMaxShownCharacters);
    const std::size_t end = text.substr(0, shown + 1).find('\t');
    if (end != std::string_view::npos)
        return cellText(text.substr(0, end));
    if (text.size() <= shown)
        return cellText(text);
    // Not cut inside a character of several bytes.
    std::size_t cut = shown - 1;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cellText(text.substr(0, cut)) + QChar(0x2026);
}

}  // namespace

GridTableModel::GridTableModel(Grid& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid), m_rows(grid.rows() - 1) {
    m_grid.setObserver(this);
}

GridTableModel::~GridTableModel() {
    m_grid.setObserver(nullptr);
}

int GridTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int GridTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_grid.cols();
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return shownCell(m_grid, index.row() + 1, index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        case Qt::BackgroundRole:
            // The fixed first column looks like the header.
            if (index.column() == 0)
                return QGuiApplication::palette().button();
            return {};
        case Qt::ForegroundRole:
            if (index.column() == 0)
                return QGuiApplication::palette().buttonText();
            return {};
        default:
            return {};
    }
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return shownCell(m_grid, 0, section);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        return {};
    }
    if (role == Qt::DisplayRole)
        return section + 1;
    return {};
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void GridTableModel::rowsAppended(int first, int last) {
    if (last < first)
        return;
    beginInsertRows({}, first - 1, last - 1);
    m_rows = last;
    endInsertRows();
}

void GridTableModel::gridReset() {
    beginResetModel();
    m_rows = m_grid.rows() - 1;
    endResetModel();
}

void GridTableModel::cellChanged(int row, int col) {
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else if (row <= m_rows) {
        const QModelIndex changed = index(row - 1, col);
        emit dataChanged(changed, changed);
    }
}

void GridTableModel::columnWidthChanged(int col) {
    emit columnResized(col, m_grid.columnWidth(col));
}

void GridTableModel::topRowChanged(int row) {
    emit topRowMoved(row);
}

void GridTableModel::currentCellChanged(int row, int col) {
    emit currentCellMoved(row, col);
}

}  // namespace calvex
