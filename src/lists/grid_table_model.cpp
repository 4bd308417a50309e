#include "lists/grid_table_model.h"

#include <QGuiApplication>
#include <QPalette>

namespace calvex {

namespace {

QString cellText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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
            return cellText(m_grid.cell(index.row() + 1, index.column()));
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
            return cellText(m_grid.cell(0, section));
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
