#include "ui/memory/memory_window.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "instrument/text_format.h"
#include "session/session.h"
#include "ui/common/grid_view.h"
#include "ui/common/twips.h"
#include "ui/common/window_placement.h"

namespace calvex {

namespace {

// Screen readers read the panel's own text as its name; `meaning` says what a figure is.
QLabel* captionPanel(QWidget* parent, const char* name, const QString& text, const QString& meaning) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleDescription(meaning);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

MemoryWindow::MemoryWindow(Session& session, Handlers handlers, QWidget* parent)
    : QWidget(parent, Qt::Window), m_session(session), m_handlers(std::move(handlers)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("Memory");
    setWindowTitle("Data Logger");
    setFixedSize(twips(2490), twips(3450));
    buildControls();
}

MemoryWindow::~MemoryWindow() {
    // The view watches m_gridSet, which goes before Qt would delete the children.
    delete GridSet;
}

void MemoryWindow::buildControls() {
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    SSPanel1 = captionPanel(this, "SSPanel1", "Memory Size", QString());
    SSPanel1->setGeometry(twips(120), twips(30), twips(1095), twips(255));
    LblSize = captionPanel(this, "LblSize", "29.0 K", "Memory size");
    LblSize->setGeometry(twips(1320), twips(30), twips(1095), twips(255));
    SSPanel2 = captionPanel(this, "SSPanel2", "Remained", QString());
    SSPanel2->setGeometry(twips(120), twips(315), twips(1095), twips(255));
    LblRemain = captionPanel(this, "LblRemain", "", "Remaining memory");
    LblRemain->setGeometry(twips(1320), twips(315), twips(1095), twips(255));

    LblMessage = new QLabel(this);
    LblMessage->setObjectName("LblMessage");
    LblMessage->setAccessibleDescription("Download progress");
    LblMessage->setGeometry(twips(120), twips(600), twips(2295), twips(255));

    CmdCompare = new QPushButton("Compare", this);
    CmdCompare->setObjectName("CmdCompare");
    CmdCompare->setGeometry(twips(1500), twips(870), twips(915), twips(300));
    // The button has no action: shown disabled, so that a click is not a silent no-op.
    CmdCompare->setEnabled(false);

    GridSet = new GridView(m_gridSet, this);
    GridSet->setObjectName("GridSet");
    GridSet->setAccessibleName("Logging sets");
    GridSet->setGeometry(twips(120), twips(1200), twips(2295), twips(2175));
    GridSet->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridSet->installEventFilter(this);
    // Queued, so the view has finished with the click before a set's decoding opens its box.
    connect(
        GridSet, &QTableView::clicked, this,
        [this](const QModelIndex& index) { rowClicked(index.row() + 1); }, Qt::QueuedConnection);
}

void MemoryWindow::Form_Load() {
    if (m_session.panel && m_session.panel->widget()) {
        const QRect panel = m_session.panel->widget()->frameGeometry();
        placeWindow(*this, QPoint(panel.x() + panel.width(), panel.y()), m_session.settings);
    }
    const char* const headers[] = {"Set", "Sampling", "Records"};
    const char* const samples[] = {" No.S ", " Sampling ", " Records "};
    const QFontMetrics metrics(font());
    m_gridSet.setRow(0);
    for (int col = 0; col < 3; ++col) {
        m_gridSet.setCol(col);
        m_gridSet.setText(headers[col]);
        m_gridSet.setColumnWidth(col, metrics.horizontalAdvance(samples[col]));
    }
    m_session.state.MemoryOpen = true;
}

void MemoryWindow::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_session.state.MemoryOpen = false;
    if (m_handlers.unloaded)
        m_handlers.unloaded();
}

void MemoryWindow::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void MemoryWindow::rowClicked(int row) {
    m_gridSet.setRow(row);
    GridSet_Click();
}

void MemoryWindow::GridSet_Click() {
    const int row = m_gridSet.row();
    if (row < 1 || !m_handlers.setClicked)
        return;
    const int setNumber = static_cast<int>(leadingNumber(m_gridSet.cell(row, 0)));
    // The decoding may run a dialog during which this window can be closed: nothing of it is
    // touched afterwards.
    const auto handler = m_handlers.setClicked;
    handler(setNumber);
}

bool MemoryWindow::eventFilter(QObject* watched, QEvent* event) {
    // The keyboard's way to click a set.
    if (watched == GridSet && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            GridSet->currentIndex().isValid()) {
            const int row = GridSet->currentIndex().row() + 1;
            QMetaObject::invokeMethod(
                this, [this, row] { rowClicked(row); }, Qt::QueuedConnection);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MemoryWindow::setRemain(const std::string& text) {
    LblRemain->setText(QString::fromStdString(text));
}

void MemoryWindow::setMessage(const std::string& text) {
    LblMessage->setText(QString::fromStdString(text));
}

}  // namespace calvex
