#include "ui/plot/plot_range.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "instrument/text_format.h"
#include "plot/plot_range_check.h"
#include "ui/common/window_placement.h"

namespace calvex {

namespace {

// Design geometry in twips (15 to the pixel).
QRect twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

QLabel* makePanel(QWidget* parent, const char* name, const char* text, const QRect& geometry,
                  const QFont& font) {
    auto* panel = new QLabel(text, parent);
    panel->setObjectName(name);
    panel->setFont(font);
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(geometry);
    return panel;
}

QLineEdit* makeBox(QWidget* parent, const char* name, const char* accessibleName, const QRect& geometry) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    // The frames' typeface is theirs alone; typed numbers keep the usual one.
    box->setFont(QApplication::font(box));
    box->setGeometry(geometry);
    return box;
}

QString numberText(double value) {
    return QString::fromStdString(plainNumber(value));
}

// Enter moves on (or validates); a printable character outside the box's set is dropped, and so
// is pasting, which would bring in text the filter never saw. Editing and moving keys pass.
bool filterKey(QKeyEvent& event, bool temperature, const std::function<void()>& onEnter) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        onEnter();
        return true;
    }
    if (event.matches(QKeySequence::Paste))
        return true;
    for (const QChar c : event.text()) {
        if (!c.isPrint() && !c.isSurrogate())
            continue;
        if (!plotRangeCharAccepted(c.unicode(), temperature))
            return true;
    }
    return false;
}

}  // namespace

PlotRange::PlotRange(Session& session)
    : QWidget(nullptr, Qt::Window),
      m_session(session),
      SSFrame1(new QGroupBox("Temperature", this)),
      SSFrame2(new QGroupBox("Records", this)),
      SSPanel1(nullptr),
      SSPanel2(nullptr),
      SSPanel3(nullptr),
      SSPanel4(nullptr),
      TxtT1(nullptr),
      TxtT2(nullptr),
      TxtR1(nullptr),
      TxtR2(nullptr),
      CmdOK(new QPushButton("OK", this)) {
    setObjectName("PlotRange");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Plot Range");
    setFixedSize(5160 / 15, 1410 / 15);
    const QFont times("Times New Roman");

    SSFrame1->setObjectName("SSFrame1");
    SSFrame1->setFont(times);
    SSFrame1->setGeometry(twips(120, 0, 2055, 1335));
    SSPanel1 = makePanel(SSFrame1, "SSPanel1", "Min", twips(120, 480, 855, 375), times);
    SSPanel2 = makePanel(SSFrame1, "SSPanel2", "Max", twips(1080, 480, 855, 375), times);
    TxtT1 = makeBox(SSFrame1, "TxtT1", "Lowest temperature", twips(120, 840, 855, 285));
    TxtT2 = makeBox(SSFrame1, "TxtT2", "Highest temperature", twips(1080, 840, 855, 315));

    SSFrame2->setObjectName("SSFrame2");
    SSFrame2->setFont(times);
    SSFrame2->setGeometry(twips(2280, 0, 2055, 1335));
    SSPanel3 = makePanel(SSFrame2, "SSPanel3", "From", twips(120, 480, 855, 375), times);
    SSPanel4 = makePanel(SSFrame2, "SSPanel4", "To", twips(1080, 480, 855, 375), times);
    TxtR1 = makeBox(SSFrame2, "TxtR1", "First record", twips(120, 840, 855, 285));
    TxtR2 = makeBox(SSFrame2, "TxtR2", "Last record", twips(1080, 840, 855, 285));

    CmdOK->setObjectName("CmdOK");
    CmdOK->setFont(times);
    CmdOK->setGeometry(twips(4440, 840, 615, 495));
    // Outside a dialog a button takes Enter only when told to.
    CmdOK->setAutoDefault(true);
    connect(CmdOK, &QPushButton::clicked, this, &PlotRange::CmdOK_Click);

    QWidget::setTabOrder(TxtT1, TxtT2);
    QWidget::setTabOrder(TxtT2, TxtR1);
    QWidget::setTabOrder(TxtR1, TxtR2);
    QWidget::setTabOrder(TxtR2, CmdOK);
    for (QLineEdit* box : {TxtT1, TxtT2, TxtR1, TxtR2})
        box->installEventFilter(this);
}

void PlotRange::Form_Load() {
    placeWindow(*this, QPoint(0, 0), m_session.settings);
    showTemperatures();
    TxtR1->setText(numberText(m_session.PlotFirstRecord));
    TxtR2->setText(numberText(m_session.PlotLastRecord));
    TxtT1->setFocus();
}

void PlotRange::showTemperatures() {
    TxtT1->setText(numberText(m_session.PlotTempMin));
    TxtT2->setText(numberText(m_session.PlotTempMax));
}

void PlotRange::CmdOK_Click() {
    const PlotRangeEntry entry = readPlotRange(TxtT1->text().toStdString(), TxtT2->text().toStdString(),
                                               TxtR1->text().toStdString(), TxtR2->text().toStdString());
    if (const auto refusal = plotRangeRefusal(m_session, entry)) {
        m_session.dialogs.message(*refusal, kCriticalStop);
        return;
    }
    if (m_session.plot != nullptr && m_session.plot->visible())
        m_session.plot->close();
    applyPlotRange(m_session, entry);
    if (m_session.plot != nullptr)
        m_session.plot->show(nullptr);
    close();
}

bool PlotRange::TxtT1_KeyPress(QKeyEvent& event) {
    return filterKey(event, true, [this] { TxtT2->setFocus(); });
}

bool PlotRange::TxtT2_KeyPress(QKeyEvent& event) {
    return filterKey(event, true, [this] { TxtR1->setFocus(); });
}

bool PlotRange::TxtR1_KeyPress(QKeyEvent& event) {
    return filterKey(event, false, [this] { TxtR2->setFocus(); });
}

bool PlotRange::TxtR2_KeyPress(QKeyEvent& event) {
    return filterKey(event, false, [this] { CmdOK_Click(); });
}

void PlotRange::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool PlotRange::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto& key = static_cast<QKeyEvent&>(*event);
    if (key.key() == Qt::Key_Escape) {
        close();
        return true;
    }
    if (watched == TxtT1)
        return TxtT1_KeyPress(key);
    if (watched == TxtT2)
        return TxtT2_KeyPress(key);
    if (watched == TxtR1)
        return TxtR1_KeyPress(key);
    if (watched == TxtR2)
        return TxtR2_KeyPress(key);
    return QWidget::eventFilter(watched, event);
}

}  // namespace calvex
