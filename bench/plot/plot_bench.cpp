// A full redraw of the stored-data plot for a long dual list at a large client area: the grid
// lines of every record, the three curves and the time marks, on the image the window keeps. The
// window's own path runs at the real-time list's limit (58,300 records) and at a week (604,800).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <string>

#include "canvas/image_canvas.h"
#include "lists/grid.h"
#include "plot/coalescing_canvas.h"
#include "plot/pen_grouping_canvas.h"
#include "plot/plot_chart.h"
#include "support/dual_records.h"
#include "support/test_session.h"
#include "ui/plot/list_plot1.h"
#include "ui/plot/plot_windows.h"

namespace calvex {
namespace {

constexpr int kRecords = 58300;
constexpr int kClientWidth = 1920;
constexpr int kClientHeight = 1080;

Grid makeDualList(long records) {
    Grid grid(6, 1);
    for (long i = 1; i <= records; ++i)
        grid.addItem(bench::dualRecord(i));
    return grid;
}

void bothSizes(benchmark::internal::Benchmark* b) {
    b->ArgName("records")->Arg(bench::kListRecords)->Arg(bench::kWeekRecords)->Unit(benchmark::kMillisecond);
}

void setWholeList(Session& s, int records) {
    s.PlotUnit = "C";
    s.PlotTempLimitMin = s.PlotTempMin = -200;
    s.PlotTempLimitMax = s.PlotTempMax = 1760;
    s.PlotRowCount = s.PlotRecordCount = s.PlotLastRecord = static_cast<float>(records);
    s.PlotFirstRecord = 1;
}

struct Fixture {
    explicit Fixture(long records = kRecords) : grid(makeDualList(records)) {
        setWholeList(t.session, static_cast<int>(records));
        image.resize(kClientWidth, kClientHeight);
    }
    test::TestSession t;
    Grid grid;
    std::string caption = "Plot Data/File ";
    PlotCaption access{[this] { return caption; }, [this](const std::string& text) { caption = text; }};
    ImageCanvas image;
    void draw(Canvas& canvas) {
        drawPlot(t.session, canvas, access, kClientWidth, kClientHeight, &grid, true);
    }
};

// What the window does: one painter for the redraw, repeated grid lines left out, lines of one pen
// gathered.
void BM_RedrawFast(benchmark::State& state) {
    Fixture f(state.range(0));
    for (auto _ : state) {
        f.image.clear(kWhite);
        f.image.beginBatch();
        {
            PenGroupingCanvas grouped(f.image);
            CoalescingCanvas canvas(grouped);
            f.draw(canvas);
        }
        f.image.endBatch();
        benchmark::DoNotOptimize(f.image.image().constBits());
    }
}
BENCHMARK(BM_RedrawFast)->Apply(bothSizes);

// One painter, every call drawn.
void BM_RedrawOnePainter(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.image.clear(kWhite);
        f.image.beginBatch();
        f.draw(f.image);
        f.image.endBatch();
        benchmark::DoNotOptimize(f.image.image().constBits());
    }
}
BENCHMARK(BM_RedrawOnePainter)->Unit(benchmark::kMillisecond)->Iterations(1);

// A painter per call, every call drawn: the plain walk.
void BM_RedrawPlain(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.image.clear(kWhite);
        f.draw(f.image);
        benchmark::DoNotOptimize(f.image.image().constBits());
    }
}
BENCHMARK(BM_RedrawPlain)->Unit(benchmark::kMillisecond)->Iterations(1);

// The walk alone, nothing drawn: the part the drawing cannot speed up.
class NullCanvas : public Canvas {
public:
    int width() const override { return kClientWidth; }
    int height() const override { return kClientHeight; }
    void clear(Rgb) override {}
    void line(double, double, double, double, Rgb, int, LineStyle) override {}
    void fillBox(double, double, double, double, Rgb) override {}
    double textWidth(const std::string& text) const override {
        return 7.0 * static_cast<double>(text.size());
    }
    double textHeight(const std::string&) const override { return 16; }
    void drawText(double, double, const std::string&, Rgb) override {}
};

void BM_WalkOnly(benchmark::State& state) {
    Fixture f(state.range(0));
    NullCanvas canvas;
    for (auto _ : state)
        f.draw(canvas);
}
BENCHMARK(BM_WalkOnly)->Apply(bothSizes);

// The walk with the repeated lines left out, nothing drawn: what leaving them out costs.
void BM_CoalescingOnly(benchmark::State& state) {
    Fixture f(state.range(0));
    NullCanvas null;
    for (auto _ : state) {
        CoalescingCanvas canvas(null);
        f.draw(canvas);
    }
}
BENCHMARK(BM_CoalescingOnly)->Apply(bothSizes);

// The plot window itself at that size, redrawn as on a resize (caption progress included).
class BenchList : public TableWindow {
public:
    explicit BenchList(long records) : m_grid(makeDualList(records)) {}
    Grid& grid() override { return m_grid; }
    std::string caption() const override { return "Data List"; }
    void setCaption(const std::string&) override {}
    bool dual() const override { return true; }
    QWidget* widget() override { return &m_widget; }

private:
    Grid m_grid;
    QWidget m_widget;
};

void BM_WindowRedraw(benchmark::State& state) {
    test::TestSession t;
    setWholeList(t.session, static_cast<int>(state.range(0)));
    BenchList list(state.range(0));
    PlotWindows plots(t.session);
    plots.show(&list);
    QPointer<ListPlot1> window = plots.plotWindow();
    window->resize(kClientWidth, kClientHeight);
    QCoreApplication::processEvents();
    for (auto _ : state)
        window->Form_Resize();
    state.counters["width"] = window->width();
}
BENCHMARK(BM_WindowRedraw)->Apply(bothSizes);

}  // namespace
}  // namespace calvex
