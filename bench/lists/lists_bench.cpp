// The list windows: appending one row to a real-time list at its limit of 58,300 rows, and the
// memory a data list of 58,300 rows or of a week of records (604,800) adds to the process. Runs on
// the offscreen platform.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <QCoreApplication>
#include <string>

#include "lists/bench_machine.h"
#include "lists/grid.h"
#include "support/dual_records.h"
#include "ui/lists/list_windows.h"

namespace calvex::bench {
namespace {

const std::string kSample = "14:05:32\t23.4\t25.1\t-1.7\tC";

void fill(Grid& grid, int rows) {
    for (int i = 1; i <= rows; ++i)
        grid.addItem(std::to_string(i) + '\t' + kSample);
}

// One sample appended to a List2 that already holds range(0) rows. With range(1) set, the
// window's pending events (the view's layout and paint) run after each row, as they do between
// two samples in the program.
void BM_AppendRealTimeRow(benchmark::State& state) {
    Machine m;
    ListWindows lists(m.session);
    m.session.state.DualModel = true;
    TableWindow* list = lists.show(ListKind::RealTime, true);
    m.session.ListOpen = true;
    fill(list->grid(), static_cast<int>(state.range(0)));
    // The count is not the row number here, so the row limit stays out of reach however many rows are added.
    m.session.ListCount = 0;
    QCoreApplication::processEvents();
    const bool withEvents = state.range(1) != 0;
    for (auto _ : state) {
        lists.appendRealTimeRow(kSample);
        if (withEvents)
            QCoreApplication::processEvents();
    }
    state.counters["rows"] = list->grid().rows() - 1;
}
BENCHMARK(BM_AppendRealTimeRow)
    ->ArgNames({"rows", "events"})
    ->Args({100, 0})
    ->Args({58000, 0})
    ->Args({100, 1})
    ->Args({58000, 1})
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond);

double heapMegabytes() {
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

// What a DataList2 of range(0) rows adds to the process, its window included: heap in use, and
// resident memory (which only grows where the heap has no freed memory to reuse, so run each size
// alone for that figure).
void BM_ListMemory(benchmark::State& state) {
    Machine m;
    {
        // Fonts, styles and icons load with the first window of the run; not counted.
        ListWindows warmUp(m.session);
        warmUp.show(ListKind::Data, true);
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    for (auto _ : state) {
        const double residentBefore = residentMegabytes();
        const double heapBefore = heapMegabytes();
        ListWindows lists(m.session);
        TableWindow* list = lists.show(ListKind::Data, true);
        for (long i = 1; i <= state.range(0); ++i)
            list->grid().addItem(dualRecord(i));
        QCoreApplication::processEvents();
        state.counters["heap_MB"] = heapMegabytes() - heapBefore;
        state.counters["rss_MB"] = residentMegabytes() - residentBefore;
    }
}
BENCHMARK(BM_ListMemory)
    ->ArgName("records")
    ->Arg(kListRecords)
    ->Arg(kWeekRecords)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace calvex::bench
