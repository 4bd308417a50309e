#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "session/session.h"

namespace calvex {

class GraphWindows;

// The range dialog of the real-time graph: top and bottom of the scale, and how many samples
// fit across the chart. OK restarts the graph with them.
class RealTimeRange : public QWidget {
    Q_OBJECT
public:
    RealTimeRange(Session& session, GraphWindows& windows);

    void CmdOK_Click();
    // TxtMax and TxtMin filled with the graph's scale again (after "Fit").
    void showScale();

    // The typed-key filters, with the key's character code (8 Backspace, 13 Enter). They return
    // the code to insert, 0 when the key is discarded or has been acted on.
    int TxtMax_KeyPress(int keyAscii);
    int TxtMin_KeyPress(int keyAscii);
    int TxtCounts_KeyPress(int keyAscii);

    // Controls, by their design names.
    QLabel* SSPanel1 = nullptr;
    QLabel* SSPanel2 = nullptr;
    QLabel* SSPanel3 = nullptr;
    QLineEdit* TxtMax = nullptr;
    QLineEdit* TxtMin = nullptr;
    QLineEdit* TxtCounts = nullptr;
    QPushButton* CmdOK = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape closes the window as its close box does, with nothing changed.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();

    Session& m_session;
    GraphWindows& m_windows;
};

}  // namespace calvex
