#pragma once

#include <QComboBox>
#include <QPushButton>
#include <QWidget>
#include <optional>

#include "app/session.h"

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
    QPushButton* CmdOK = nullptr;
    QPushButton* Port1 = nullptr;
    QPushButton* Port2 = nullptr;

signals:
    // The choice is made (ComPort and AutoScan set): the main window is to be shown.
    void portChosen();

private:
    void choose();

    Session& m_session;
};

// The port a text of the combo box names: "Auto" (port 1, scanning) or "COM1".."COM8", compared
// exactly; any other text names nothing.
struct PortChoice {
    int comPort;
    bool autoScan;
};
std::optional<PortChoice> portChoiceFromText(const std::string& text);

}  // namespace calvex
