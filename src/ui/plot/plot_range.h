#pragma once

#include <QWidget>

#include "session/session.h"

class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace calvex {

// The plot range dialog: narrows the stored-data plot to a span of temperatures and records, then
// opens the plot again with it. Modeless, no Cancel: the close box changes nothing.
class PlotRange : public QWidget {
    Q_OBJECT

public:
    explicit PlotRange(Session& session);

    void Form_Load();
    // TxtT1 and TxtT2 filled with the plot's temperature span again.
    void showTemperatures();
    void CmdOK_Click();
    // Each returns true when the key was used up here (discarded, or Enter acted on).
    bool TxtT1_KeyPress(QKeyEvent& event);
    bool TxtT2_KeyPress(QKeyEvent& event);
    bool TxtR1_KeyPress(QKeyEvent& event);
    bool TxtR2_KeyPress(QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape closes the window as its close box does, with nothing changed.
    void keyPressEvent(QKeyEvent* event) override;

private:
    Session& m_session;
    QGroupBox* SSFrame1;
    QGroupBox* SSFrame2;
    QLabel* SSPanel1;
    QLabel* SSPanel2;
    QLabel* SSPanel3;
    QLabel* SSPanel4;
    QLineEdit* TxtT1;
    QLineEdit* TxtT2;
    QLineEdit* TxtR1;
    QLineEdit* TxtR2;
    QPushButton* CmdOK;
};

}  // namespace calvex
