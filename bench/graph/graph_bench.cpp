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

// The graph window's tick at 1920 x 1080 with the repaint of what it changed (offscreen
// platform: the backing store is an image, no compositor).
void BM_GraphWindowTick1920x1080(benchmark::State& state) {
    test::TestSession ts;
    setUp(ts);
    GraphWindows windows(ts.session);
    windows.openGraph();
    RealTime23* graph = windows.graph();
    graph->Timer1.stop();
    graph->resize(1920, 1080);
    QCoreApplication::processEvents();
    long n = 0;
    for (auto _ : state) {
        read(ts, ++n);
        graph->Timer1_Timer();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_GraphWindowTick1920x1080)->Unit(benchmark::kMicrosecond);

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
