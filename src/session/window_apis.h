#pragma once

#include <string>

class QWidget;

namespace calvex {

class Grid;

// What the windows of one folder offer the others. Each folder implements its own interface
// (owning the at-most-one instance of each of its windows); main plugs them into the Session.

// The main window.
class PanelApi {
public:
    virtual ~PanelApi() = default;
    virtual QWidget* widget() = 0;
    // The poller's timer (Timer1): stopped by the memory download and by printing.
    virtual void setPolling(bool enabled) = 0;
    virtual bool polling() const = 0;
    virtual int pollInterval() const = 0;
    // LblCOM back to "COM" followed by ComPort.
    virtual void showComPort() = 0;
    // The displayed readings (LblT1, LblT2, LblT1T2).
    virtual std::string labelT1() const = 0;
    virtual std::string labelT2() const = 0;
    virtual std::string labelT1T2() const = 0;
};

// A list window (real-time, file or data list) as other folders see it.
class TableWindow {
public:
    virtual ~TableWindow() = default;
    virtual Grid& grid() = 0;
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual bool dual() const = 0;
    virtual QWidget* widget() = 0;
};

enum class ListKind { RealTime, File, Data };

// The list windows: List1/List2, FileList1/FileList2, DataList1/DataList2 (1 single, 2 dual).
class ListsApi {
public:
    virtual ~ListsApi() = default;
    // The window when it is open, else nullptr.
    virtual TableWindow* window(ListKind kind, bool dual) = 0;
    // Shows the window (creating it with an empty grid when it is not open) and returns it.
    virtual TableWindow* show(ListKind kind, bool dual) = 0;
    virtual void unload(ListKind kind, bool dual) = 0;
    // Appends a sample to the open real-time list (its numbering, limit and model check included).
    virtual void appendRealTimeRow(const std::string& sampleText) = 0;
};

// The real-time graph RealTime23.
class GraphApi {
public:
    virtual ~GraphApi() = default;
    // The "Graph" command: closes a visible graph and opens a new one for the present unit.
    virtual void openGraph() = 0;
    virtual bool visible() const = 0;
    virtual void close() = 0;
};

// The statistics windows AVG1/AVG2.
class StatsApi {
public:
    virtual ~StatsApi() = default;
    // The "AVG" command.
    virtual void openAvg() = 0;
    virtual bool visible(bool dual) const = 0;
    virtual void unload(bool dual) = 0;
    // Unloads AVG2, then AVG1, when the model its run started with is no longer DualModel.
    virtual void closeRunsOfOtherModel() = 0;
};

// The instrument memory (Memory window and its download).
class MemoryApi {
public:
    virtual ~MemoryApi() = default;
    // The "Memory" command.
    virtual void startDownload() = 0;
};

// The stored-data plot ListPlot1.
class PlotApi {
public:
    virtual ~PlotApi() = default;
    virtual bool visible() const = 0;
    virtual void close() = 0;
    // Shows a fresh plot window for the plot variables; `source` is the list that opened it.
    virtual void show(TableWindow* source) = 0;
};

}  // namespace calvex
