#pragma once

#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QWidget>
#include <memory>

#include "live/poller.h"
#include "session/session.h"

namespace calvex {

class Recorder;
class RecordingView;
class PanelCommands;

// The main window: owner of the serial port, it polls the instrument and shows its reading, and
// carries the command toolbar and the sampling timer. Closing it ends the program.
class Panel : public QWidget, public PanelApi, public PollerView {
    Q_OBJECT
public:
    explicit Panel(Session& session, QWidget* parent = nullptr);
    ~Panel() override;

    // Opens the chosen port and starts polling; false (after telling the user) when the port cannot
    // be opened, in which case the program is to end.
    bool Form_Load();
    void Timer1_Timer();
    void Timer2_Timer();
    void Toolbar1_ButtonClick(const QString& key);

    // PanelApi
    QWidget* widget() override { return this; }
    void setPolling(bool enabled) override;
    bool polling() const override { return Timer1.isActive(); }
    int pollInterval() const override { return Timer1.interval(); }
    void showComPort() override;
    std::string labelT1() const override { return LblT1->text().toStdString(); }
    std::string labelT2() const override { return LblT2->text().toStdString(); }
    std::string labelT1T2() const override { return LblT1T2->text().toStdString(); }

    // PollerView
    void showComText(const std::string& text) override;
    void showReading() override;

    const Poller& poller() const { return m_poller; }
    QAction* toolbarButton(const QString& key) const;
    // The Open button's drop-down of recent files, filled afresh each time it opens.
    QMenu* recentMenu() const { return m_recentMenu; }
    void fillRecentMenu();
    // Drops the recent files menu under the Open button, as its key does.
    void showRecentMenu();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildToolbar();
    void buildRecentMenu();
    void showHelp();
    void showDualLayout();
    void showSingleLayout();
    void armWaitTimer();
    void listenToPort();

    Session& m_session;
    Poller m_poller;
    std::unique_ptr<RecordingView> m_recordingView;
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<PanelCommands> m_commands;
    QMenu* m_recentMenu = nullptr;
    QTimer m_waitTimer;  // wakes the poller when its 2-second wait runs out

public:
    // Controls, by their design names.
    QToolBar* Toolbar1 = nullptr;
    QLabel* LblName = nullptr;
    QWidget* Shape1 = nullptr;
    QLabel* UnitT1 = nullptr;
    QLabel* UnitT2 = nullptr;
    QLabel* LblT1 = nullptr;
    QLabel* LblT2 = nullptr;
    QLabel* UnitT1T2 = nullptr;
    QLabel* LblT1T2 = nullptr;
    QLabel* LblType = nullptr;
    QLabel* TypeMark = nullptr;
    QLabel* ImgC = nullptr;
    QLabel* ImgF = nullptr;
    QLabel* ImgK = nullptr;
    QLabel* LblCOM = nullptr;
    QLabel* LblFileName = nullptr;
    QLabel* LblRec = nullptr;
    QLabel* LblCount = nullptr;
    QTimer Timer1{this};
    QTimer Timer2{this};
};

}  // namespace calvex
