#pragma once

#include <cstdint>
#include <string>

#include "canvas/axis_ticks.h"
#include "instrument/instrument_state.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/serial_link.h"
#include "session/window_apis.h"

namespace calvex {

class Settings;

// Everything the windows share for the whole run: the instrument state, the shared variables,
// the machine's services, and the way to reach the windows of another folder. Created in main
// and handed by reference to every window.
struct Session {
    Session(SerialLink& port, Clock& clockService, Dialogs& dialogService, Printer& printerService)
        : COM(port), clock(clockService), dialogs(dialogService), printer(printerService) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    InstrumentState state;

    // Files
    std::string DataFileName;
    bool FileChosen = false;
    // Recording and sampling
    std::int64_t RecordCount = 0;
    long SampleTicks = 0;
    // Instrument memory
    std::string MemoryImage;
    std::string PointerReply;
    // Real-time list
    bool ListOpen = false;
    float ListCount = 0;
    // Real-time graph
    double GraphLimitMax = 0;
    double GraphLimitMin = 0;
    double GraphMax = 0;
    double GraphMin = 0;
    float GraphStep = 1;
    float GraphWidth = 0;
    float GridColor = 7;
    // "Fit" on the real-time graph: GraphMin and GraphMax follow the readings while it is on.
    AxisFit graphFit;
    // Stored-data plot
    bool PlotFromFile = false;
    bool PlotFromMemory = false;
    std::string PlotUnit;
    double PlotTempMin = 0;
    double PlotTempMax = 0;
    double PlotTempLimitMin = 0;
    double PlotTempLimitMax = 0;
    // "Fit" on the stored-data plot: PlotTempMin and PlotTempMax span the plotted readings.
    AxisFit plotFit;
    float PlotRowCount = 0;
    float PlotFirstRecord = 0;
    float PlotLastRecord = 0;
    float PlotRecordCount = 0;
    double DataPlotLeft = 60;
    float DataPlotBase = 0;
    float DataPlotHeight = 0;
    float DataPlotWidth = 0;
    float DataPlotStep = 0;
    float DataPlotX = 0;
    float DataPlotPrevX = 0;

    // Services
    SerialLink& COM;
    Clock& clock;
    Dialogs& dialogs;
    Printer& printer;
    // What is remembered between runs; none in the tools without windows and in most tests.
    Settings* settings = nullptr;

    // The windows of each folder, as the others reach them; set up in main (or by a test).
    PanelApi* panel = nullptr;
    ListsApi* lists = nullptr;
    GraphApi* graph = nullptr;
    StatsApi* stats = nullptr;
    MemoryApi* memory = nullptr;
    PlotApi* plot = nullptr;
};

}  // namespace calvex
