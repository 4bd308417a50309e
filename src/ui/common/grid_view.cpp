#include "ui/common/grid_view.h"

#include <QHeaderView>
#include <QScrollBar>

#include "ui/common/grid_table_model.h"

namespace calvex {

GridView::GridView(Grid& grid, QWidget* parent)
    : QTableView(parent), m_grid(grid), m_model(new GridTableModel(grid, this)) {
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    // The grid cuts a text at its cell's edge; no ellipsis.
    setTextElideMode(Qt::ElideNone);
    horizontalHeader()->setTextElideMode(Qt::ElideNone);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(0);
    // Every row has the same height, which keeps the view's work per row constant.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->hide();
    for (int col = 0; col < grid.cols(); ++col)
        resizeColumn(col, grid.columnWidth(col));

    m_follow.setSingleShot(true);
    m_follow.setInterval(0);
    connect(&m_follow, &QTimer::timeout, this, &GridView::followGrid);
    connect(m_model, &GridTableModel::topRowMoved, this, &GridView::scheduleFollow);
    connect(m_model, &GridTableModel::currentCellMoved, this, &GridView::scheduleFollow);
    connect(m_model, &GridTableModel::columnResized, this, &GridView::resizeColumn);
    connect(m_model, &QAbstractItemModel::modelReset, this, &GridView::scheduleFollow);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &GridView::userScrolled);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &GridView::userMovedCurrent);
}

int GridView::fullRowsInView() const {
    // Reckoned from the view's own size, fonts and style rather than read off the viewport: the
    // view lays itself out only when pending events run, after the rows of this sample were added.
    const QRect area = contentsRect();
    int height = area.height();
    if (!horizontalHeader()->isHidden())
        height -= qMax(horizontalHeader()->minimumHeight(), horizontalHeader()->sizeHint().height());
    const int width = area.width() - verticalScrollBar()->sizeHint().width();
    if (horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff && horizontalHeader()->length() > width)
        height -= horizontalScrollBar()->sizeHint().height();
    return qMax(1, height / qMax(1, verticalHeader()->defaultSectionSize()));
}

void GridView::updateGeometries() {
    // A new scroll range may cut the scroll position back; the grid keeps its top row all the same,
    // and the view shows it as soon as the range reaches it.
    const bool following = m_following;
    m_following = true;
    QTableView::updateGeometries();
    m_following = following;
    showTopRow();
}

void GridView::scheduleFollow() {
    if (!m_following)
        m_follow.start();
}

void GridView::followGrid() {
    m_following = true;
    // Selecting a cell does not scroll the grid; only its top row does.
    const bool autoScrolling = hasAutoScroll();
    setAutoScroll(false);
    const int row = m_grid.row();
    if (row >= 1 && row - 1 < m_model->rowCount())
        selectionModel()->setCurrentIndex(m_model->index(row - 1, m_grid.col()),
                                          QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clear();
    setAutoScroll(autoScrolling);
    m_following = false;
    showTopRow();
}

void GridView::showTopRow() {
    const bool following = m_following;
    m_following = true;
    verticalScrollBar()->setValue(m_grid.topRow() - 1);
    m_following = following;
}

void GridView::resizeColumn(int col, int width) {
    horizontalHeader()->resizeSection(col, width);
}

void GridView::userScrolled(int value) {
    if (m_following)
        return;
    m_following = true;
    m_grid.setTopRow(value + 1);
    m_following = false;
}

void GridView::userMovedCurrent(const QModelIndex& current) {
    if (m_following || !current.isValid())
        return;
    m_following = true;
    m_grid.setRow(current.row() + 1);
    m_grid.setCol(current.column());
    m_following = false;
}

}  // namespace calvex
