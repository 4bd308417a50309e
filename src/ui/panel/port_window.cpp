#include "ui/panel/port_window.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QScreen>
#include <algorithm>
#include <optional>

#include "platform/settings.h"
#include "ui/common/twips.h"
#include "ui/common/window_placement.h"

namespace calvex {

std::optional<PortChoice> portChoiceFromText(const std::string& text) {
    if (text == "Auto")
        return PortChoice{1, true};
    for (int n = 1; n <= 8; ++n)
        if (text == "COM" + std::to_string(n))
            return PortChoice{n, false};
    return std::nullopt;
}

std::string portDeviceText(const std::string& text, const SerialLink& port) {
    const auto choice = portChoiceFromText(text);
    if (!choice)
        return "Choose COM1 to COM8, or Auto.";
    if (choice->autoScan)
        return "Auto: each port in turn, from COM1 (" + portDeviceText("COM1", port) + ")";
    const std::string name = "COM" + std::to_string(choice->comPort);
    const std::string device = port.describePort(choice->comPort);
    return device.empty() ? name + ": no serial port of this machine" : name + ": " + device;
}

Port::Port(Session& session, QWidget* parent) : QWidget(parent), m_session(session) {
    setObjectName("Port");
    setWindowTitle("COM Port");
    setFixedSize(twips(2040), twips(615));
    setAttribute(Qt::WA_DeleteOnClose);

    TxtCOM = new QComboBox(this);
    TxtCOM->setObjectName("TxtCOM");
    TxtCOM->setAccessibleName("COM port");
    TxtCOM->setEditable(true);
    TxtCOM->setInsertPolicy(QComboBox::NoInsert);
    TxtCOM->setGeometry(twips(120), twips(120), twips(1095), twips(375));

    CmdOK = new QPushButton("OK", this);
    CmdOK->setObjectName("CmdOK");
    CmdOK->setGeometry(twips(1320), twips(120), twips(615), twips(375));
    CmdOK->setDefault(true);
    connect(CmdOK, &QPushButton::clicked, this, &Port::CmdOK_Click);
    // A default button answers Enter only in a dialog, and the editable box takes Enter for itself:
    // Enter in the box is OK, as the user typing a port expects.
    connect(TxtCOM->lineEdit(), &QLineEdit::returnPressed, CmdOK, &QPushButton::click);

    // Two buttons below the visible client area, reached only by their keys.
    // Tab never lands on them: focus would go where nothing shows.
    Port1 = new QPushButton("COM1", this);
    Port1->setObjectName("Port1");
    Port1->move(twips(120), twips(5760));
    Port1->setFocusPolicy(Qt::NoFocus);
    connect(Port1, &QPushButton::clicked, this, &Port::Port1_Click);
    Port2 = new QPushButton("COM2", this);
    Port2->setObjectName("Port2");
    Port2->move(twips(1320), twips(5760));
    Port2->setFocusPolicy(Qt::NoFocus);
    connect(Port2, &QPushButton::clicked, this, &Port::Port2_Click);

    // Below the design's client area, which grows to show it.
    LblDevice = new QLabel(this);
    LblDevice->setObjectName("LblDevice");
    LblDevice->setGeometry(twips(120), twips(615), twips(1815), twips(615));
    LblDevice->setWordWrap(true);
    connect(TxtCOM, &QComboBox::currentTextChanged, this, &Port::showDevice);

    Form_Load();
}

// The device line is shown whole: the window widens for a long device name (a /dev/serial/by-id
// path has no blank to wrap at), up to the screen's width, and grows for the lines it wraps to.
void Port::showDevice() {
    const QString text =
        QString::fromStdString(portDeviceText(TxtCOM->currentText().toStdString(), m_session.COM));
    LblDevice->setText(text);
    const int designWidth = twips(1815);
    const QScreen* screen = this->screen();
    const int widest = std::max(
        designWidth, (screen != nullptr ? screen->availableGeometry().width() : 1920) - 2 * twips(120) - 40);
    const QFontMetrics metrics(LblDevice->font());
    int width = designWidth;
    for (const QString& word : text.split(' '))
        width = std::max(width, std::min(widest, metrics.horizontalAdvance(word) + 4));
    const QRect needed =
        metrics.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap | Qt::TextWrapAnywhere, text);
    const int height = std::max(twips(615), needed.height() + 4);
    LblDevice->setGeometry(twips(120), twips(615), width, height);
    setFixedSize(std::max(twips(2040), width + 2 * twips(120)), twips(615) + height + twips(60));
}

void Port::Form_Load() {
    placeWindow(*this, QPoint(twips(3700), twips(2700)), m_session.settings);
    for (int n = 1; n <= 8; ++n)
        TxtCOM->addItem("COM" + QString::number(n));
    // Auto is a choice like the ports, not only a word to know and type.
    TxtCOM->addItem("Auto");
    // The port chosen at the last start is offered first; a first start offers COM1.
    const QString offered = m_session.settings != nullptr && m_session.settings->port()
                                ? QString::fromStdString(*m_session.settings->port())
                                : QStringLiteral("COM1");
    TxtCOM->setCurrentIndex(std::max(0, TxtCOM->findText(offered)));
    TxtCOM->setEditText(offered);
    showDevice();
}

void Port::CmdOK_Click() {
    if (const auto choice = portChoiceFromText(TxtCOM->currentText().toStdString())) {
        m_session.state.ComPort = choice->comPort;
        m_session.state.AutoScan = choice->autoScan;
        remember(TxtCOM->currentText().toStdString());
    }
    choose();
}

void Port::Port1_Click() {
    m_session.state.ComPort = 1;
    remember("COM1");
    choose();
}

void Port::Port2_Click() {
    m_session.state.ComPort = 2;
    remember("COM2");
    choose();
}

void Port::remember(const std::string& text) {
    if (m_session.settings != nullptr && !m_chosen)
        m_session.settings->setPort(text);
}

void Port::choose() {
    // The box hands one Enter on to the line edit and back, and the window goes only later: the
    // panel is shown once.
    if (m_chosen)
        return;
    m_chosen = true;
    emit portChosen();
    close();
}

}  // namespace calvex
