// Data files and printing: opening a dual file into FileList2 and saving a list, at the real-time
// list's limit of 58,300 rows and at a week of records (604,800); printing 58,300 rows to a PDF.
// Runs on the offscreen platform; bench_open_window measures "Open" under a window system.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/data_file_reader.h"
#include "files/print_list.h"
#include "files/save_grid_to_file.h"
#include "lists/bench_machine.h"
#include "lists/grid.h"
#include "support/dual_records.h"
#include "ui/lists/list_windows.h"

namespace calvex::bench {
namespace {

std::string tempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("calvex-bench-" + name)).string();
}

void fill(Grid& grid, long records) {
    for (long i = 1; i <= records; ++i)
        grid.addItem(dualRecord(i));
}

void bothSizes(benchmark::internal::Benchmark* b) {
    b->ArgName("records")->Arg(kListRecords)->Arg(kWeekRecords)->Unit(benchmark::kMillisecond);
}

void dropClosedWindows() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The rows' view is laid out and painted (the pending events) in the measured time.
void BM_OpenDataFile(benchmark::State& state) {
    const std::string path = tempPath("open.txt");
    if (!writeDualFile(path, state.range(0)))
        state.SkipWithError("the data file could not be written");
    Machine m;
    ListWindows lists(m.session);
    m.session.lists = &lists;
    for (auto _ : state) {
        OpenDataFile(m.session, path);
        QCoreApplication::processEvents();
        state.PauseTiming();
        benchmark::DoNotOptimize(lists.window(ListKind::File, true)->grid().rows());
        dropClosedWindows();
        state.ResumeTiming();
    }
    state.counters["rows"] = lists.window(ListKind::File, true)->grid().rows() - 1;
    std::remove(path.c_str());
}
BENCHMARK(BM_OpenDataFile)->Apply(bothSizes);

void BM_SaveGridToFile(benchmark::State& state) {
    Machine m;
    ListWindows lists(m.session);
    TableWindow* list = lists.show(ListKind::Data, true);
    fill(list->grid(), state.range(0));
    QCoreApplication::processEvents();
    m.session.DataFileName = tempPath("save.txt");
    for (auto _ : state) {
        m.session.FileChosen = true;
        if (!SaveGridToFile(m.session, *list))
            state.SkipWithError("the list was not saved");
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(m.session.DataFileName));
    std::remove(m.session.DataFileName.c_str());
}
BENCHMARK(BM_SaveGridToFile)->Apply(bothSizes);

// Lines that go nowhere: what printing costs without the printer's own work.
class NullPrinter : public Printer {
public:
    bool hasDefault() const override { return true; }
    void chooseOutput(std::function<void()> chosen) override { chosen(); }
    bool printLine(const std::string& line) override {
        benchmark::DoNotOptimize(line.data());
        return true;
    }
    bool endDocument() override { return true; }
    void abortDocument() override {}
    bool printImage(const QImage&) override { return true; }
    std::string lastError() const override { return {}; }
};

// range(0): 0 a PDF with the events run once per line, as in the program; 1 the PDF alone, no
// events; 2 the events and the table work alone, on a printer that drops the lines.
void BM_PrintDualList58300ToPdf(benchmark::State& state) {
    const std::string pdf = tempPath("print.pdf");
    Machine m(pdf);
    NullPrinter nullPrinter;
    Session nullSession(m.port, m.clock, m.dialogs, nullPrinter);
    Session& session = state.range(0) == 2 ? nullSession : m.session;
    ListWindows lists(session);
    TableWindow* list = lists.show(ListKind::Data, true);
    fill(list->grid(), kListRecords);
    QCoreApplication::processEvents();
    const EventPump pump = [] { QCoreApplication::processEvents(); };
    const EventPump noPump = [] {};
    for (auto _ : state) {
        const bool printed = PrintDualList(
            session, [list] { return list; }, state.range(0) == 1 ? noPump : pump);
        if (!printed)
            state.SkipWithError("the list was not printed");
    }
    if (state.range(0) != 2)
        state.counters["pdf_bytes"] = static_cast<double>(std::filesystem::file_size(pdf));
    std::remove(pdf.c_str());
}
BENCHMARK(BM_PrintDualList58300ToPdf)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace calvex::bench
