// The per-tick cost of the real-time graph and the statistics windows at a large window size.
// The sweep step runs every poll (150 ms) and the statistics tick every second, so their costs
// give the program's CPU share with both windows open:
//   share = sweep / 150 ms + statistics / 1000 ms.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QCoreApplication>

#include <cmath>

#include "canvas/image_canvas.h"
#include "graph/damage_canvas.h"
#include "graph/real_time_chart.h"
#include "support/test_session.h"
#include "ui/graph/graph_windows.h"
#include "ui/stats/stats_windows.h"

namespace calvex {
namespace {

// A dual instrument in degrees C whose readings wander, so every step draws real segments.
void setUp(test::TestSession& ts) {
    InstrumentState& s = ts.session.state;
    s.Unit = "C";
    s.TcType = "K";
    s.DualModel = true;
    s.ReadingKnown = true;
    s.GraphActive = true;
    ts.session.GraphMax = 1760;
    ts.session.GraphMin = -200;
    ts.session.GraphStep = 1;
}

void read(test::TestSession& ts, long n) {
    InstrumentState& s = ts.session.state;
    const double t1 = 500 + 400 * std::sin(n * 0.05);
    const double t2 = 300 + 200 * std::cos(n * 0.03);
    s.T1C = t1;
    s.T2C = t2;
    s.T1T2C = std::to_string(t1 - t2);
}

// One sweep step of the chart alone, on the image a 1920 x 1080 window keeps.
void BM_SweepStep1920x1080(benchmark::State& state) {
    test::TestSession ts;
    setUp(ts);
    ImageCanvas image(QFont("Times New Roman", 9));
    image.resize(1920, 1080);
    DamageCanvas canvas(image);
    RealTimeChart chart(ts.session, canvas, "C", true);
    chart.Form_Load();
    chart.Form_Resize();
    canvas.takeDamage();
    long n = 0;
    for (auto _ : state) {
        read(ts, ++n);
        chart.sweepStep();
        benchmark::DoNotOptimize(canvas.takeDamage());
    }
}
BENCHMARK(BM_SweepStep1920x1080)->Unit(benchmark::kMicrosecond);

// The graph window at 1920 x 1080, its timer stopped so the benchmark drives its ticks.
RealTime23* openStoppedGraph(GraphWindows& windows) {
    windows.openGraph();
    RealTime23* graph = windows.graph();
    graph->Timer1.stop();
    graph->resize(1920, 1080);
    QCoreApplication::processEvents();
    return graph;
}

// The graph window's tick at 1920 x 1080 with the repaint of what it changed (offscreen
// platform: the backing store is an image, no compositor).
void BM_GraphWindowTick1920x1080(benchmark::State& state) {
    test::TestSession ts;
    setUp(ts);
    GraphWindows windows(ts.session);
    RealTime23* graph = openStoppedGraph(windows);
    long n = 0;
    for (auto _ : state) {
        read(ts, ++n);
        graph->Timer1_Timer();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_GraphWindowTick1920x1080)->Unit(benchmark::kMicrosecond);

// "Fit" pressed twice in the graph window at 1920 x 1080 on a full sweep: the scale fitted and
// given back, each drawing the whole picture again from the sweep's readings (and keeping it for
// Export), with the repaint. The argument is the samples across the width (the range dialog's
// Counts).
void BM_FitInGraphWindow1920x1080(benchmark::State& state) {
    test::TestSession ts;
    setUp(ts);
    GraphWindows windows(ts.session);
    RealTime23* graph = openStoppedGraph(windows);
    ts.session.GraphStep = static_cast<float>(ts.session.GraphWidth / static_cast<double>(state.range(0)));
    // A new sweep at that step.
    graph->resize(1921, 1080);
    graph->resize(1920, 1080);
    QCoreApplication::processEvents();
    for (long n = 0; n < state.range(0); ++n) {
        read(ts, n);
        graph->Timer1_Timer();
    }
    QCoreApplication::processEvents();
    for (auto _ : state) {
        graph->Toolbar1_ButtonClick("Fit");
        graph->Toolbar1_ButtonClick("Fit");
        QCoreApplication::processEvents();
    }
    state.counters["samples"] = static_cast<double>(graph->chart().history().size());
}
BENCHMARK(BM_FitInGraphWindow1920x1080)->Arg(1860)->Arg(86400)->Unit(benchmark::kMillisecond);

// The dual statistics window's one-second tick, with the repaint of its labels.
void BM_Avg2Tick(benchmark::State& state) {
    test::TestSession ts;
    setUp(ts);
    StatsWindows windows(ts.session);
    windows.openAvg();
    AvgWindow* avg = windows.window(true);
    avg->Timer1.stop();
    QCoreApplication::processEvents();
    long n = 0;
    for (auto _ : state) {
        read(ts, ++n);
        ts.clock.advanceSeconds(1);
        avg->Timer1_Timer();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_Avg2Tick)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace calvex
