#pragma once

#include <QWidget>
#include <functional>

#include "lists/grid.h"

class QLabel;
class QPushButton;

namespace calvex {

struct Session;
class GridView;

// "Data Logger": the logging sets found in the downloaded memory and what memory remains. The
// download itself and the decoding of a clicked set belong to MemoryWindows.
class MemoryWindow : public QWidget {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(int setNumber)> setClicked;
        std::function<void()> unloaded;
    };

    MemoryWindow(Session& session, Handlers handlers, QWidget* parent = nullptr);
    ~MemoryWindow() override;

    void Form_Load();
    void Form_Unload();
    // Decodes the set of GridSet's current row.
    void GridSet_Click();

    Grid& gridSet() { return m_gridSet; }
    void setRemain(const std::string& text);
    void setMessage(const std::string& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void rowClicked(int row);

    Session& m_session;
    Handlers m_handlers;
    Grid m_gridSet{3, 1};
    bool m_unloaded = false;

    GridView* GridSet = nullptr;
    QLabel* SSPanel1 = nullptr;
    QLabel* LblSize = nullptr;
    QLabel* SSPanel2 = nullptr;
    QLabel* LblRemain = nullptr;
    QLabel* LblMessage = nullptr;
    QPushButton* CmdCompare = nullptr;
};

}  // namespace calvex
