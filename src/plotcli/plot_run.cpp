#include "plotcli/plot_run.h"

#include <QGuiApplication>
#include <filesystem>

#include "canvas/picture_file.h"
#include "files/data_file_reader.h"
#include "instrument/text_format.h"
#include "lists/headless_lists.h"
#include "lists/list_layout.h"
#include "platform/headless_services.h"
#include "platform/system_clock.h"
#include "plot/plot_chart.h"
#include "plot/plot_range_check.h"
#include "plot/plot_variables.h"
#include "session/session.h"

namespace calvex {

namespace {

// The plot window's caption when it opens; the drawing's progress in it has no one to read it.
constexpr const char* kPlotCaption = "Plot Data/File ";

// The range dialog's four boxes: what was given, else what the dialog starts with.
PlotRangeEntry typedRange(const Session& s, const PlotOptions& o) {
    const auto [t1, t2] =
        o.temperatures.value_or(std::pair{plainNumber(s.PlotTempMin), plainNumber(s.PlotTempMax)});
    const auto [r1, r2] =
        o.records.value_or(std::pair{plainNumber(s.PlotFirstRecord), plainNumber(s.PlotLastRecord)});
    return readPlotRange(t1, t2, r1, r2);
}

// A picture written over the file it is drawn from would lose the data.
bool sameFile(const std::string& input, const std::string& output) {
    std::error_code ec;
    return std::filesystem::equivalent(input, output, ec) && !ec;
}

}  // namespace

QFont plotWindowFont() {
    return QGuiApplication::font();
}

int runPlot(const PlotOptions& o, const QFont& font, Dialogs& dialogs) {
    NoSerialLink port;
    SystemClock clock;
    NoPrinter printer;
    Session session(port, clock, dialogs, printer);
    HeadlessLists lists;
    session.lists = &lists;

    if (!OpenDataFile(session, o.input))
        return 1;
    if (sameFile(o.input, o.output)) {
        dialogs.message("The picture would replace the data file it is drawn from:\n" + o.output,
                        kCriticalStop);
        return 1;
    }
    TableWindow* list = lists.window(ListKind::File, true);
    if (list == nullptr)
        list = lists.window(ListKind::File, false);
    if (list == nullptr)
        return 1;
    setPlotVariables(session, list->grid(), ListKind::File,
                     listLayout(ListKind::File, list->dual()).unitColumn);
    if (o.unit)
        setPlotUnit(session, *o.unit);
    if (o.temperatures || o.records) {
        const PlotRangeEntry entry = typedRange(session, o);
        if (const auto refusal = plotRangeRefusal(session, entry)) {
            dialogs.message(*refusal, kCriticalStop);
            return 2;
        }
        applyPlotRange(session, entry);
    }
    // The plot window's Form_Load.
    session.GridColor = 7;

    std::string caption = kPlotCaption;
    const PlotCaption shown{[&caption] { return caption; },
                            [&caption](const std::string& text) { caption = text; }};
    std::string error;
    const bool written = saveChartPicture(
        o.output, o.format, QSize(o.width, o.height), font,
        [&](Canvas& canvas) {
            return drawPlotChart(session, canvas, shown, o.width, o.height, &list->grid(), list->dual());
        },
        error, "The records could not be drawn.");
    if (!written) {
        dialogs.message("The picture could not be written:\n" + o.output + "\n\n" + error, kCriticalStop);
        return 1;
    }
    return 0;
}

}  // namespace calvex
