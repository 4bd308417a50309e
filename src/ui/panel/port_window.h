#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <optional>

#include "session/session.h"

namespace calvex {

// The first window: the user names the port of the instrument, COM1 to COM8, or "Auto".
class Port : public QWidget {
    Q_OBJECT
public:
    explicit Port(Session& session, QWidget* parent = nullptr);

    void Form_Load();
    void CmdOK_Click();
    void Port1_Click();
    void Port2_Click();

    QComboBox* TxtCOM = nullptr;
    QLabel* LblDevice = nullptr;  // what the chosen COM name stands for on this machine
    QPushButton* CmdOK = nullptr;
    QPushButton* Port1 = nullptr;
    QPushButton* Port2 = nullptr;

signals:
    // The choice is made (ComPort and AutoScan set): the main window is to be shown.
    void portChosen();

private:
    void choose();
    void showDevice();
    // Keeps the port chosen for the next start.
    void remember(const std::string& text);

    Session& m_session;
    bool m_chosen = false;
};

// The port a text of the combo box names: "Auto" (port 1, scanning) or "COM1".."COM8", compared
// exactly; any other text names nothing.
struct PortChoice {
    int comPort;
    bool autoScan;
};
std::optional<PortChoice> portChoiceFromText(const std::string& text);

// What the Port window says of a combo text: "COM1: /dev/ttyUSB0, USB serial adapter", that no
// port stands for the name, or how "Auto" searches.
std::string portDeviceText(const std::string& text, const SerialLink& port);

}  // namespace calvex
