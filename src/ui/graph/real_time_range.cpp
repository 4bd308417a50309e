#include "ui/graph/real_time_range.h"

#include <QKeyEvent>

#include "instrument/text_format.h"
#include "ui/common/twips.h"
#include "ui/graph/graph_windows.h"

namespace calvex {

namespace {

constexpr int kBackspace = 8;
constexpr int kEnter = 13;
constexpr double kMinCounts = 10;
constexpr double kMaxCounts = 864000;

bool isDigit(int key) {
    return key >= '0' && key <= '9';
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

QLabel* captionPanel(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* panel = new QLabel(text, parent);
    panel->setObjectName(name);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(geometry);
    return panel;
}

QLineEdit* textBox(QWidget* parent, const char* name, QLabel* caption, const QRect& geometry) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(caption->text());
    box->setGeometry(geometry);
    caption->setBuddy(box);
    return box;
}

std::string textOf(const QLineEdit* box) {
    return box->text().toStdString();
}

}  // namespace

RealTimeRange::RealTimeRange(Session& session, GraphWindows& windows)
    : QWidget(nullptr), m_session(session), m_windows(windows) {
    setObjectName("RealTimeRange");
    setWindowTitle("Real Time Range");
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(QFont("Times New Roman", 10));
    setFixedSize(twips(3450), twips(855));

    SSPanel3 = captionPanel(this, "SSPanel3", "Max", twipsRect(60, 60, 840, 285));
    SSPanel1 = captionPanel(this, "SSPanel1", "Min", twipsRect(960, 60, 840, 285));
    SSPanel2 = captionPanel(this, "SSPanel2", "Counts", twipsRect(1860, 60, 840, 285));
    TxtMax = textBox(this, "TxtMax", SSPanel3, twipsRect(60, 375, 840, 375));
    TxtMin = textBox(this, "TxtMin", SSPanel1, twipsRect(960, 375, 840, 375));
    TxtCounts = textBox(this, "TxtCounts", SSPanel2, twipsRect(1860, 375, 840, 375));
    CmdOK = new QPushButton("OK", this);
    CmdOK->setObjectName("CmdOK");
    CmdOK->setGeometry(twipsRect(2790, 60, 600, 690));
    // Outside a dialog a button takes Enter only when told to.
    CmdOK->setAutoDefault(true);
    connect(CmdOK, &QPushButton::clicked, this, &RealTimeRange::CmdOK_Click);
    setTabOrder(TxtMax, TxtMin);
    setTabOrder(TxtMin, TxtCounts);
    setTabOrder(TxtCounts, CmdOK);
    for (QLineEdit* box : {TxtMax, TxtMin, TxtCounts})
        box->installEventFilter(this);

    Form_Load();
}

void RealTimeRange::Form_Load() {
    const double counts = roundHalfEven(m_session.GraphWidth / m_session.GraphStep);
    TxtCounts->setText(QString::fromStdString(plainNumber(counts)));
    showScale();
}

void RealTimeRange::showScale() {
    TxtMax->setText(QString::fromStdString(plainNumber(m_session.GraphMax)));
    TxtMin->setText(QString::fromStdString(plainNumber(m_session.GraphMin)));
}

int RealTimeRange::TxtMax_KeyPress(int keyAscii) {
    if (keyAscii == kEnter) {
        TxtMin->setFocus();
        return 0;
    }
    const bool kept = isDigit(keyAscii) || keyAscii == '-' || keyAscii == '.' || keyAscii == kBackspace;
    return kept ? keyAscii : 0;
}

int RealTimeRange::TxtMin_KeyPress(int keyAscii) {
    if (keyAscii == kEnter) {
        TxtCounts->setFocus();
        return 0;
    }
    const bool kept = isDigit(keyAscii) || keyAscii == '-' || keyAscii == '.' || keyAscii == kBackspace;
    return kept ? keyAscii : 0;
}

int RealTimeRange::TxtCounts_KeyPress(int keyAscii) {
    if (keyAscii == kEnter) {
        CmdOK_Click();
        return 0;
    }
    const bool kept = isDigit(keyAscii) || keyAscii == kBackspace;
    return kept ? keyAscii : 0;
}

void RealTimeRange::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool RealTimeRange::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    int (RealTimeRange::*filter)(int) = nullptr;
    if (watched == TxtMax)
        filter = &RealTimeRange::TxtMax_KeyPress;
    if (watched == TxtMin)
        filter = &RealTimeRange::TxtMin_KeyPress;
    if (watched == TxtCounts)
        filter = &RealTimeRange::TxtCounts_KeyPress;
    if (filter == nullptr)
        return QWidget::eventFilter(watched, event);

    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        (this->*filter)(kEnter);
        return true;
    }
    // Only typed characters are filtered. Keys that type nothing (arrows, Delete, Tab) and
    // control shortcuts such as copy and paste keep their usual work.
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    if (text.size() == 1 && text.at(0).unicode() < 0x20 && text.at(0).unicode() != kBackspace)
        return false;
    for (const QChar c : text) {
        const int code = c.unicode() < 0x80 ? c.unicode() : -1;
        if (code < 0 || (this->*filter)(code) == 0)
            return true;
    }
    return false;
}

void RealTimeRange::CmdOK_Click() {
    const double max = leadingNumber(textOf(TxtMax));
    const double min = leadingNumber(textOf(TxtMin));
    if (!(max > min) || max > m_session.GraphLimitMax || min < m_session.GraphLimitMin) {
        m_session.dialogs.message(plainNumber(m_session.GraphLimitMin) + " <= Temperature <= " +
                                      plainNumber(m_session.GraphLimitMax) + ", try again!",
                                  kCriticalStop);
        return;
    }
    const double counts = leadingNumber(textOf(TxtCounts));
    if (counts > kMaxCounts || counts < kMinCounts) {
        m_session.dialogs.message("10 <= Counts <= " + plainNumber(kMaxCounts) + ", try again!",
                                  kCriticalStop);
        return;
    }
    // Only a range accepted as a whole is stored: the running graph plots against GraphMax and
    // GraphMin at once, and its scale labels are redrawn only when it is reopened below.
    m_session.GraphMax = max;
    m_session.GraphMin = min;
    // Typed limits are the user's scale: a fitted one follows the readings no more.
    m_session.graphFit.on = false;

    if (m_windows.visible())
        m_windows.close();
    m_session.state.GraphActive = true;
    m_session.GraphStep = static_cast<float>(m_session.GraphWidth / counts);
    m_windows.showGraph();
    close();
}

}  // namespace calvex
