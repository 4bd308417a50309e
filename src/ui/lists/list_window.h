#pragma once

#include <QWidget>
#include <string>

#include "lists/grid.h"
#include "lists/list_layout.h"
#include "session/window_apis.h"

class QToolBar;

namespace calvex {

struct Session;
class GridView;

// One of the six list windows: List1/List2 ("Real Time List"), FileList1/FileList2 ("File
// List"), DataList1/DataList2 ("Data List"). They differ only in their layout (columns,
// toolbar keys, size), their source for Plot and what closing a real-time list does.
class ListWindow : public QWidget, public TableWindow {
    Q_OBJECT

public:
    // `printing` is shared by all list windows: one printer, one list printing at a time.
    ListWindow(Session& session, ListKind kind, bool dual, bool& printing);
    ~ListWindow() override;

    // TableWindow
    Grid& grid() override { return m_grid; }
    std::string caption() const override { return m_caption; }
    void setCaption(const std::string& caption) override;
    bool dual() const override { return m_dual; }
    QWidget* widget() override { return this; }

    ListKind kind() const { return m_kind; }
    // Closed: its rows are gone, though the object lives on until Qt deletes it.
    bool unloaded() const { return m_unloaded; }

    // A real-time list belongs to the instrument model connected when it opened; the sampling
    // timer's rows go to it only while that model stays.
    bool dualModelAtStart() const { return DualModelAtStart; }
    // A real-time list takes the sampling timer's rows from its opening until it is full or its
    // instrument is gone; then it keeps its rows for saving and printing until it is closed.
    bool takingRows() const { return m_takingRows; }
    void stopTakingRows() { m_takingRows = false; }
    // Data rows the grid shows whole.
    int rowsInView() const;

    // The "Save" button: true when the rows were written to a file.
    bool save();

    void Form_Load();
    void Form_Unload();
    void Toolbar1_ButtonClick(const std::string& key);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar();
    void fitColumns();
    // Print asks for a printer first when there is no default one; printRows prints.
    void print();
    void printRows();
    void preview();
    void plot();

    Session& m_session;
    const ListKind m_kind;
    const bool m_dual;
    const ListLayout& m_layout;
    bool& m_printing;
    Grid m_grid;
    std::string m_caption;
    bool m_unloaded = false;
    const bool DualModelAtStart;
    bool m_takingRows;

    QToolBar* Toolbar1 = nullptr;
    GridView* m_gridView = nullptr;  // the control "Grid"
};

}  // namespace calvex
