#include "ui/panel/panel.h"

#include <algorithm>

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QToolButton>
#include <cstdio>

#include "instrument/text_format.h"
#include "live/recorder.h"
#include "platform/settings.h"
#include "ui/common/toolbar_images.h"
#include "ui/common/toolbar_keys.h"
#include "ui/common/twips.h"
#include "ui/common/window_placement.h"
#include "ui/panel/panel_commands.h"
#include "ui/panel/unit_pictures.h"

namespace calvex {

namespace {

struct ToolbarButton {
    const char* key;
    const char* toolTip;
};

constexpr ToolbarButton kButtons[] = {
    {"Save", "Save As"},          {"Open", "Open File"},      {"List", "List Display"},
    {"Graph", "Graphic Display"}, {"AVG", "Max/Min/AVG"},     {"PC", "PC Sampling"},
    {"Memory", "Datalogger"},     {"Stop", "Stop Recording"}, {"Save1", "Save As"},
};

// The label's text is what a screen reader reads as its name, so none is set; `meaning` is read
// after it.
constexpr int kInformation = 64;

constexpr const char* kHelpText =
    "Commands of the panel's toolbar, and their keys:\n"
    "Save As, start or stop recording: Ctrl+S\n"
    "Open File: Ctrl+O; its recent files: Ctrl+Shift+O, then 1 to 8\n"
    "List Display: Ctrl+L\n"
    "Graphic Display: Ctrl+G\n"
    "Max/Min/AVG: Ctrl+M\n"
    "PC Sampling: Ctrl+T\n"
    "Datalogger (the instrument's memory): Ctrl+D\n"
    "\n"
    "In the lists: Save Ctrl+S, Print Ctrl+P, Print Preview Ctrl+Shift+P, Plot Ctrl+G.\n"
    "In the graph and the plot: Limit Ctrl+R, Print Ctrl+P, Print Preview Ctrl+Shift+P,\n"
    "Export Picture Ctrl+E, Fit (the scale to the readings, and back) Ctrl+F.\n"
    "In every window: Open File Ctrl+O, this help F1, close the program Ctrl+Q.\n"
    "In the range windows Enter moves to the next box and, in the last one, is OK.";

QLabel* makeLabel(QWidget* parent, const char* name, int pointSize, bool bold = true,
                  const char* meaning = nullptr) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    if (meaning != nullptr)
        label->setAccessibleDescription(meaning);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

void setColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

// A label that keeps its right edge where the design puts it and grows to the left.
void placeRightAligned(QLabel* label, int right, int top) {
    label->adjustSize();
    label->move(right - label->width(), top);
}

QString shown(const InstrumentState& s, const ReadingValue& value) {
    return QString::fromStdString(displayedReading(s, value));
}

// The main window's side of recording: its labels and toolbar button 1.
class PanelRecordingView : public RecordingView {
public:
    explicit PanelRecordingView(Panel& panel) : m_panel(panel) {}
    std::string labelT1() const override { return m_panel.labelT1(); }
    std::string labelT2() const override { return m_panel.labelT2(); }
    std::string labelT1T2() const override { return m_panel.labelT1T2(); }
    void setRecordingFace(bool recording) override {
        QAction* button = m_panel.toolbarButton("Save");
        const QString face = recording ? "Stop" : "Save1";
        button->setIcon(m_panel.toolbarButton(face)->icon());
        button->setToolTip(recording ? "Stop Recording" : "Save As");
        button->setText(button->toolTip());
    }
    void setFileNameText(const std::string& text) override { setText(m_panel.LblFileName, text); }
    void setCountText(const std::string& text) override { setText(m_panel.LblCount, text); }
    void setRecText(const std::string& text) override { setText(m_panel.LblRec, text); }
    void setRecVisible(bool visible) override { m_panel.LblRec->setVisible(visible); }

private:
    static void setText(QLabel* label, const std::string& text) {
        label->setText(QString::fromStdString(text));
        label->adjustSize();
    }
    Panel& m_panel;
};

}  // namespace

Panel::Panel(Session& session, QWidget* parent)
    : QWidget(parent), m_session(session), m_poller(session.state, session.COM, session.clock, *this) {
    setObjectName("Panel");
    setWindowTitle("Panel     V7.0");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twips(5160), twips(4560));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 128));
    setPalette(palette);

    buildControls();
    buildToolbar();

    m_recordingView = std::make_unique<PanelRecordingView>(*this);
    m_recorder = std::make_unique<Recorder>(m_session, *m_recordingView);
    m_commands = std::make_unique<PanelCommands>(m_session, *m_recorder);

    Timer1.setObjectName("Timer1");
    Timer1.setInterval(150);
    connect(&Timer1, &QTimer::timeout, this, &Panel::Timer1_Timer);
    Timer2.setObjectName("Timer2");
    Timer2.setInterval(960);
    connect(&Timer2, &QTimer::timeout, this, &Panel::Timer2_Timer);
    m_waitTimer.setSingleShot(true);
    connect(&m_waitTimer, &QTimer::timeout, this, [this] {
        m_poller.wake();
        armWaitTimer();
    });

    m_session.panel = this;
}

Panel::~Panel() {
    m_session.COM.setActivityHandler(nullptr);
    if (m_session.panel == this)
        m_session.panel = nullptr;
}

void Panel::buildControls() {
    LblName = makeLabel(this, "LblName", 12, true, "Instrument model");
    LblName->setGeometry(twips(120), twips(480), twips(4935), twips(375));
    LblName->setAutoFillBackground(true);
    QPalette namePalette = LblName->palette();
    namePalette.setColor(QPalette::Window, QColor(0, 0, 128));
    namePalette.setColor(QPalette::WindowText, QColor(255, 255, 255));
    LblName->setPalette(namePalette);
    LblName->setAlignment(Qt::AlignCenter);

    Shape1 = new QWidget(this);
    Shape1->setObjectName("Shape1");
    Shape1->setGeometry(twips(120), twips(840), twips(4935), twips(3015));
    Shape1->setStyleSheet("#Shape1 { border: 1px solid black; }");
    Shape1->setAttribute(Qt::WA_StyledBackground);

    UnitT1 = makeLabel(this, "UnitT1", 18);
    UnitT1->setText("T1");
    UnitT2 = makeLabel(this, "UnitT2", 18);
    UnitT2->setText("T2");
    UnitT1T2 = makeLabel(this, "UnitT1T2", 18);
    UnitT1T2->setText("T1-T2");
    for (QLabel* tag : {UnitT1, UnitT2, UnitT1T2})
        setColor(tag, QColor(0, 0, 255));
    UnitT1->move(twips(1200), twips(1080));
    UnitT2->move(twips(3600), twips(1080));
    UnitT1T2->move(twips(2040), twips(2280));

    LblT1 = makeLabel(this, "LblT1", 36, true, "Channel T1");
    LblT2 = makeLabel(this, "LblT2", 36, true, "Channel T2");
    LblT1T2 = makeLabel(this, "LblT1T2", 48, true, "Difference T1-T2");
    setColor(LblT1T2, QColor(255, 0, 0));
    LblT1->move(twips(240), twips(1440));
    LblT1T2->move(twips(2445), twips(2760));

    LblType = makeLabel(this, "LblType", 18, true, "Thermocouple type");
    LblType->move(twips(495), twips(3240));
    TypeMark = makeLabel(this, "TypeMark", 12);
    TypeMark->setText("TYPE");
    TypeMark->move(twips(240), twips(3600));

    const std::pair<QLabel**, char> pictures[] = {{&ImgC, 'C'}, {&ImgF, 'F'}, {&ImgK, 'K'}};
    for (const auto& [image, letter] : pictures) {
        const std::string name = std::string("Img") + letter;
        *image = makeLabel(this, name.c_str(), 8);
        (*image)->setPixmap(unitPicture(letter));
        (*image)->setAccessibleName(QString("degrees ") + letter);
        if (letter == 'K')
            (*image)->setAccessibleName("kelvin");
        (*image)->setGeometry(twips(4320), twips(3240), twips(480), twips(480));
        (*image)->hide();
    }

    LblCOM = makeLabel(this, "LblCOM", 24, true, "Serial port");
    setColor(LblCOM, QColor(255, 0, 0));

    LblFileName = makeLabel(this, "LblFileName", 8, false, "Recording file");
    LblFileName->move(twips(120), twips(3900));
    LblRec = makeLabel(this, "LblRec", 8);
    LblRec->setText("Rec");
    setColor(LblRec, QColor(255, 0, 0));
    LblRec->move(twips(120), twips(4200));
    LblRec->hide();
    LblCount = makeLabel(this, "LblCount", 8, false, "Recorded lines");
    LblCount->move(twips(600), twips(4200));

    for (QLabel* label : {UnitT1, UnitT2, UnitT1T2}) {
        label->adjustSize();
        label->hide();
    }
    TypeMark->adjustSize();
}

void Panel::buildToolbar() {
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->setAccessibleName("Panel commands");
    Toolbar1->setIconSize(QSize(20, 20));
    Toolbar1->setGeometry(0, 0, width(), twips(420));
    for (const ToolbarButton& b : kButtons) {
        QAction* action = Toolbar1->addAction(toolbarImage(b.key), b.toolTip);
        action->setObjectName(b.key);
        action->setData(QString(b.key));
        action->setToolTip(b.toolTip);
        // The last two buttons only hold the faces of button 1.
        if (QString(b.key) == "Stop" || QString(b.key) == "Save1")
            action->setVisible(false);
        connect(action, &QAction::triggered, this,
                [this, action] { Toolbar1_ButtonClick(action->data().toString()); });
    }
    giveToolbarShortcuts(*Toolbar1);
    // Opening a file, help and quitting are the program's, not one window's: their keys work in
    // every window that has no use of its own for them.
    toolbarButton("Open")->setShortcutContext(Qt::ApplicationShortcut);
    buildRecentMenu();
    auto* help = new QAction("Help", this);
    help->setObjectName("Help");
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::ApplicationShortcut);
    connect(help, &QAction::triggered, this, &Panel::showHelp);
    addAction(help);
    auto* quit = new QAction("Quit", this);
    quit->setObjectName("Quit");
    quit->setShortcut(Qt::CTRL | Qt::Key_Q);
    quit->setShortcutContext(Qt::ApplicationShortcut);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);
}

// The recent files hang on the Open button, where a user looks for a file to open, and its key
// brings them up from any window.
void Panel::buildRecentMenu() {
    m_recentMenu = new QMenu("Recent Files", this);
    m_recentMenu->setObjectName("RecentFiles");
    connect(m_recentMenu, &QMenu::aboutToShow, this, &Panel::fillRecentMenu);
    if (auto* button = qobject_cast<QToolButton*>(Toolbar1->widgetForAction(toolbarButton("Open")))) {
        button->setMenu(m_recentMenu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    auto* recent = new QAction("Recent Files", this);
    recent->setObjectName("Recent");
    recent->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_O);
    recent->setShortcutContext(Qt::ApplicationShortcut);
    connect(recent, &QAction::triggered, this, &Panel::showRecentMenu);
    addAction(recent);
}

void Panel::fillRecentMenu() {
    m_recentMenu->clear();
    const std::vector<std::string> files =
        m_session.settings != nullptr ? m_session.settings->recentFiles() : std::vector<std::string>();
    if (files.empty()) {
        m_recentMenu->addAction("No recent files")->setEnabled(false);
        return;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        QString shown = QString::fromStdString(files[i]);
        shown.replace('&', QStringLiteral("&&"));
        QAction* item = m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        connect(item, &QAction::triggered, this, [this, path = files[i]] { m_commands->openRecent(path); });
    }
}

void Panel::showRecentMenu() {
    const QWidget* button = Toolbar1->widgetForAction(toolbarButton("Open"));
    const QPoint at =
        button != nullptr ? button->mapToGlobal(QPoint(0, button->height())) : mapToGlobal(QPoint());
    m_recentMenu->popup(at);
}

void Panel::showHelp() {
    m_session.dialogs.message(kHelpText, kInformation, {}, "Calvex Help");
}

QAction* Panel::toolbarButton(const QString& key) const {
    for (QAction* action : Toolbar1->actions())
        if (action->data().toString() == key)
            return action;
    return nullptr;
}

bool Panel::Form_Load() {
    placeWindow(*this, QPoint(0, 0), m_session.settings);
    InstrumentState& s = m_session.state;
    listenToPort();
    if (!Poller::openChosenPort(s, m_session.COM)) {
        const std::string details = Poller::openFailure(s, m_session.COM);
        // Over SSH or from a launcher the box may go unseen; the reason goes to standard error too.
        std::fprintf(stderr, "calvex: No device found: %s\n", details.c_str());
        m_session.dialogs.message("No device found, try again!", kCriticalStop, details);
        return false;
    }
    showComPort();
    s.RecordingOn = false;
    // The sampling time set in the last run, or the 2 seconds of a first one.
    s.SampleSeconds = m_session.settings != nullptr && m_session.settings->sampleSeconds()
                          ? *m_session.settings->sampleSeconds()
                          : 2;
    const LocalDateTime now = m_session.clock.now();
    s.SampleDate = formatDate(now.year, now.month, now.day);
    s.SampleTime = formatTimeOfDay(now.hour * 3600 + now.minute * 60 + now.second);
    s.SampleStamp = s.SampleDate + " " + s.SampleTime;
    s.MemoryOpen = false;
    s.AvgOpen = false;
    Timer1.start();
    Timer2.start();
    return true;
}

void Panel::Timer1_Timer() {
    m_poller.tick();
    armWaitTimer();
}

// The poller's 2-second wait ends on time even between two ticks.
void Panel::armWaitTimer() {
    const std::int64_t left = m_poller.msUntilDeadline();
    if (left < 0 || !Timer1.isActive()) {
        m_waitTimer.stop();
    } else {
        m_waitTimer.start(static_cast<int>(left) + 1);
    }
}

void Panel::Timer2_Timer() {
    m_recorder->Timer2_Timer();
}

void Panel::Toolbar1_ButtonClick(const QString& key) {
    m_commands->Toolbar1_ButtonClick(key.toStdString());
}

// The port's bytes and failures wake the poller; the memory download borrows the port's handler
// while polling is off and polling puts this one back.
void Panel::listenToPort() {
    m_session.COM.setActivityHandler([this] {
        m_poller.wake();
        armWaitTimer();
    });
}

void Panel::setPolling(bool enabled) {
    if (enabled) {
        listenToPort();
        m_poller.reset();
        Timer1.start();
    } else {
        Timer1.stop();
        m_waitTimer.stop();
        m_poller.reset();
    }
}

void Panel::showComPort() {
    showComText("COM" + std::to_string(m_session.state.ComPort));
}

void Panel::showComText(const std::string& text) {
    LblCOM->setText(QString::fromStdString(text));
    placeRightAligned(LblCOM, twips(4890), twips(3960));
}

void Panel::showReading() {
    const InstrumentState& s = m_session.state;
    ImgC->setVisible(s.UnitC);
    ImgF->setVisible(s.UnitF);
    ImgK->setVisible(s.UnitK);
    if (s.DualModel) {
        showDualLayout();
    } else {
        showSingleLayout();
    }
    LblType->setText(QString::fromStdString(s.TcType.text()));
    LblType->adjustSize();
    if (!s.GraphActive && m_session.graph != nullptr && m_session.graph->visible())
        m_session.graph->close();
}

void Panel::showDualLayout() {
    const InstrumentState& s = m_session.state;
    LblName->setText("Dual DATALOGGER THERMOMETER");
    for (QLabel* tag : {UnitT1, UnitT2, UnitT1T2})
        tag->show();
    QFont font = LblT1->font();
    font.setPointSize(36);
    LblT1->setFont(font);
    LblT1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LblT1->setText(shown(s, s.T1Value));
    LblT1->adjustSize();
    LblT1->move(twips(240), twips(1440));
    LblT2->setText(shown(s, s.T2Value));
    placeRightAligned(LblT2, twips(4755), twips(1440));
    LblT1T2->setText(shown(s, s.T1T2Value));
    LblT1T2->adjustSize();
    // A long difference ("-188.8", "-0.5" in a wide font) reaches under the unit's picture at the
    // bottom right: it moves left, never under it.
    const int clear = ImgC->x() - twips(60);
    LblT1T2->move(std::max(twips(120), std::min(twips(2445), clear - LblT1T2->width())), twips(2760));
}

void Panel::showSingleLayout() {
    const InstrumentState& s = m_session.state;
    LblName->setText("DATALOGGER THERMOMETER");
    for (QLabel* tag : {UnitT1, UnitT2, UnitT1T2})
        tag->hide();
    QFont font = LblT1->font();
    font.setPointSize(72);
    LblT1->setFont(font);
    LblT1->setAlignment(Qt::AlignCenter);
    LblT1->setGeometry(twips(120), LblT1->y(), twips(5000), twips(2000));
    LblT1->setText(shown(s, s.T1Value));
    LblT2->setText("");
    LblT1T2->setText("");
}

void Panel::closeEvent(QCloseEvent* event) {
    if (m_session.state.RecordingOn) {
        // Every sampled line is already in the file; the question only keeps a recording from
        // ending by a slip of the hand.
        // No is the default: a stray Enter must not end a recording.
        if (!m_session.dialogs.question("A recording is running. Stop it and close the program?", {},
                                        false)) {
            event->ignore();
            return;
        }
        if (m_session.state.RecordingOn)
            m_recorder->toggle();
    }
    Timer1.stop();
    Timer2.stop();
    m_session.COM.setActivityHandler(nullptr);
    m_session.COM.close();
    event->accept();
    emit closed();
}

}  // namespace calvex
