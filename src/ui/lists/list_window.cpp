#include "ui/lists/list_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPointer>
#include <QScrollBar>
#include <QToolBar>
#include <vector>

#include "files/print_list.h"
#include "files/save_as_dialog.h"
#include "files/save_grid_to_file.h"
#include "plot/plot_variables.h"
#include "session/session.h"
#include "ui/common/grid_view.h"
#include "ui/common/print_preview.h"
#include "ui/common/toolbar_images.h"
#include "ui/common/toolbar_keys.h"
#include "ui/common/window_placement.h"

namespace calvex {

ListWindow::ListWindow(Session& session, ListKind kind, bool dual, bool& printing)
    : m_session(session),
      m_kind(kind),
      m_dual(dual),
      m_layout(listLayout(kind, dual)),
      m_printing(printing),
      m_grid(static_cast<int>(m_layout.columns.size()), 1),
      DualModelAtStart(session.state.DualModel),
      m_takingRows(kind == ListKind::RealTime) {
    setObjectName(m_layout.name);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(twipsToPixels(m_layout.clientWidth), twipsToPixels(m_layout.clientHeight));
    buildToolbar();
    m_gridView = new GridView(m_grid, this);
    m_gridView->setObjectName("Grid");
    m_gridView->setAccessibleName(m_layout.caption);
    m_gridView->setGeometry(twipsToPixels(m_layout.gridLeft), twipsToPixels(m_layout.gridTop),
                            twipsToPixels(m_layout.gridWidth), twipsToPixels(m_layout.gridHeight));
    setCaption(m_layout.caption);
    Form_Load();
}

ListWindow::~ListWindow() {
    // The view reads the grid until it goes; the grid is a member and would go first.
    delete m_gridView;
}

void ListWindow::buildToolbar() {
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->setAccessibleName("List commands");
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setGeometry(0, 0, twipsToPixels(m_layout.clientWidth), twipsToPixels(m_layout.toolbarHeight));
    // Every list shows its print before printing, after the buttons of its layout.
    std::vector<ToolbarButton> buttons(m_layout.buttons.begin(), m_layout.buttons.end());
    buttons.push_back({"Preview", "Print Preview"});
    for (const ToolbarButton& button : buttons) {
        QAction* action = Toolbar1->addAction(toolbarImage(button.key), button.toolTip);
        action->setObjectName(button.key);
        action->setData(QString(button.key));
        action->setToolTip(button.toolTip);
        if (QWidget* face = Toolbar1->widgetForAction(action))
            face->setAccessibleName(button.toolTip);
    }
    giveToolbarShortcuts(*Toolbar1);
    connect(Toolbar1, &QToolBar::actionTriggered, this,
            [this](QAction* action) { Toolbar1_ButtonClick(action->data().toString().toStdString()); });
}

void ListWindow::setCaption(const std::string& caption) {
    m_caption = caption;
    setWindowTitle(QString::fromStdString(caption));
}

void ListWindow::Form_Load() {
    if (QWidget* panel = m_session.panel != nullptr ? m_session.panel->widget() : nullptr) {
        const QRect frame = panel->frameGeometry();
        placeWindow(*this, QPoint(frame.left() + frame.width(), frame.top()), m_session.settings);
    }
    const QFontMetrics metrics(font());
    for (int col = 0; col < static_cast<int>(m_layout.columns.size()); ++col) {
        const ListColumn& column = m_layout.columns[static_cast<std::size_t>(col)];
        m_grid.setRow(0);
        m_grid.setCol(col);
        m_grid.setColumnWidth(col, metrics.horizontalAdvance(QString::fromLatin1(column.widthSample)));
        m_grid.setText(column.header);
    }
    fitColumns();
}

// Every column shows at the opening size, also once the rows need the vertical scroll bar: the
// designed width grows by what the columns, the frame and that bar need beyond it.
void ListWindow::fitColumns() {
    int needed = 2 * m_gridView->frameWidth() + m_gridView->verticalScrollBar()->sizeHint().width();
    for (int col = 0; col < static_cast<int>(m_layout.columns.size()); ++col)
        needed += m_grid.columnWidth(col);
    const int extra = needed - m_gridView->width();
    if (extra <= 0)
        return;
    m_gridView->resize(m_gridView->width() + extra, m_gridView->height());
    resize(width() + extra, height());
    Toolbar1->resize(width(), Toolbar1->height());
}

void ListWindow::Form_Unload() {
    // A list that no longer takes rows may share the screen with one that does; that one runs on.
    if (!m_takingRows)
        return;
    m_takingRows = false;
    m_session.ListOpen = false;
    m_session.ListCount = 0;
}

int ListWindow::rowsInView() const {
    return m_gridView->fullRowsInView();
}

void ListWindow::closeEvent(QCloseEvent* event) {
    if (!m_unloaded) {
        m_unloaded = true;
        if (m_kind == ListKind::RealTime)
            Form_Unload();
    }
    QWidget::closeEvent(event);
}

void ListWindow::Toolbar1_ButtonClick(const std::string& key) {
    const bool hasSave = m_kind != ListKind::File;
    const bool hasPlot = m_kind != ListKind::RealTime;
    if (key == "Save" && hasSave)
        save();
    else if (key == "Print")
        print();
    else if (key == "Preview")
        preview();
    else if (key == "Plot" && hasPlot)
        plot();
}

bool ListWindow::save() {
    // Saving shares the file variables with the recording.
    if (m_session.state.RecordingOn) {
        m_session.dialogs.message("Aready in recording mode, close it and try again !", kCriticalStop);
        return false;
    }
    SaveAsDialog(m_session);
    return m_session.FileChosen && SaveGridToFile(m_session, *this);
}

void ListWindow::print() {
    if (m_printing) {
        m_session.dialogs.message("A list is being printed; try again when it has finished.", kCriticalStop);
        return;
    }
    // The rows are read once the user has chosen: a real-time list grows on while the dialog
    // stands.
    printWhenOutputChosen(m_session.printer, this, [this] {
        if (!m_unloaded)
            printRows();
    });
}

void ListWindow::printRows() {
    if (m_printing) {
        m_session.dialogs.message("A list is being printed; try again when it has finished.", kCriticalStop);
        return;
    }
    bool& printing = m_printing;
    printing = true;
    // Events run between the printed lines. A window closed meanwhile stays in memory until the
    // printing has let go of it.
    setAttribute(Qt::WA_DeleteOnClose, false);
    const QPointer<ListWindow> self(this);
    const ListAccessor list = [self]() -> TableWindow* {
        return self != nullptr && !self->m_unloaded ? self.data() : nullptr;
    };
    const EventPump pump = [] { QCoreApplication::processEvents(); };
    if (m_dual)
        PrintDualList(m_session, list, pump);
    else
        PrintSingleList(m_session, list, pump);
    printing = false;
    if (self == nullptr)
        return;
    setAttribute(Qt::WA_DeleteOnClose, true);
    if (m_unloaded)
        deleteLater();
}

void ListWindow::preview() {
    // The rows of the moment it opened: the preview draws its pages again on every page setup change.
    openPrintPreview(this, [lines = listPrintLines(m_grid, m_dual)](Printer& printer) {
        for (const std::string& line : lines)
            if (!printer.printLine(line))
                return;
        printer.endDocument();
    });
}

void ListWindow::plot() {
    // A table without data rows has nothing to plot; an open plot stays as it is.
    if (m_grid.rows() < 2)
        return;
    if (m_session.plot != nullptr && m_session.plot->visible())
        m_session.plot->close();
    setPlotVariables(m_session, m_grid, m_kind, m_layout.unitColumn);
    if (m_session.plot != nullptr)
        m_session.plot->show(this);
}

}  // namespace calvex
