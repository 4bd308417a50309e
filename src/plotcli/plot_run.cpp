#include "plotcli/plot_run.h"

#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "canvas/picture_file.h"
#include "files/data_file_set.h"
#include "instrument/text_format.h"
#include "lists/grid.h"
#include "lists/headless_lists.h"
#include "lists/list_layout.h"
#include "platform/headless_services.h"
#include "platform/system_clock.h"
#include "plot/plot_chart.h"
#include "plot/plot_fit.h"
#include "plot/plot_range_check.h"
#include "plot/plot_variables.h"
#include "plot/report_chart.h"
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

    DataFileSet files;
    if (!readDataFileSet(session, o.inputs, files))
        return 1;
    for (const std::string& input : o.inputs) {
        if (sameFile(input, o.output)) {
            dialogs.message("The picture would replace the data file it is drawn from:\n" + o.output,
                            kCriticalStop);
            return 1;
        }
    }
    // The records fill the file list as "Open" fills it, the files one after another in the order
    // of their times.
    TableWindow* list = lists.show(ListKind::File, files.dual);
    if (list == nullptr)
        return 1;
    Grid& grid = list->grid();
    grid.setRows(1);
    std::size_t total = 1;
    for (const TimedFile& file : files.files)
        total += file.rows.size();
    grid.reserveRows(total);
    ReportChart chart;
    chart.seconds.reserve(total);
    std::vector<std::string> names;
    for (TimedFile& file : files.files) {
        if (grid.rows() > 1)
            chart.breaks.push_back(grid.rows());
        for (std::string& row : file.rows)
            grid.takeItemUntold(std::move(row));
        file.rows = {};
        chart.seconds.insert(chart.seconds.end(), file.seconds.begin(), file.seconds.end());
        names.push_back(std::filesystem::path(file.path).filename().string());
    }
    grid.tellAppended();
    list->setCaption(names.front());

    setPlotVariables(session, grid, ListKind::File, listLayout(ListKind::File, files.dual).unitColumn);
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
    if (o.fit && !fitPlotAxis(session, grid, files.dual))
        dialogs.message("The plotted records hold no readings to fit the axis to; it keeps its whole span.",
                        64);
    // The plot window's Form_Load.
    session.GridColor = 7;

    if (o.report) {
        const bool anyDated =
            std::any_of(files.files.begin(), files.files.end(), [](const TimedFile& f) { return f.dated; });
        chart.days = files.dated ? TimeDays::Calendar : anyDated ? TimeDays::None : TimeDays::Counted;
        if (o.title) {
            chart.title = *o.title;
        } else {
            const auto firstIndex = static_cast<std::size_t>(std::llround(session.PlotFirstRecord) - 1);
            const auto lastIndex = static_cast<std::size_t>(std::llround(session.PlotLastRecord) - 1);
            std::int64_t first = kNoTime;
            std::int64_t last = kNoTime;
            for (std::size_t i = firstIndex; i <= lastIndex && i < chart.seconds.size(); ++i) {
                if (chart.seconds[i] == kNoTime)
                    continue;
                if (first == kNoTime)
                    first = chart.seconds[i];
                last = chart.seconds[i];
            }
            chart.title = defaultReportTitle(names, first, last, chart.days);
        }
    }

    std::string caption = kPlotCaption;
    const PlotCaption shown{[&caption] { return caption; },
                            [&caption](const std::string& text) { caption = text; }};
    std::string error;
    const bool written = saveChartPicture(
        o.output, o.format, QSize(o.width, o.height), font,
        [&](Canvas& canvas) {
            if (o.report)
                return drawReportChart(session, canvas, o.width, o.height, grid, files.dual, chart);
            return drawPlotChart(session, canvas, shown, o.width, o.height, &grid, files.dual, chart.breaks);
        },
        error, "The records could not be drawn.");
    if (!written) {
        dialogs.message("The picture could not be written:\n" + o.output + "\n\n" + error, kCriticalStop);
        return 1;
    }
    return 0;
}

}  // namespace calvex
