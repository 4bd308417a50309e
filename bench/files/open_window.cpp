// "Open" as the user meets it: a dual data file read into the real FileList2 window, and the
// events that follow (the table's layout and paint, the caption's trips to the window system) run
// by the event loop, as in the program. Optionally the list's "Plot" afterwards, in the plot
// window's default size, and its "Print" to a PDF file. Run it under a window system (xvfb-run)
// to count what the screen costs; scripts/bench-week.sh does, and measures the process with
// /usr/bin/time.
//
//   bench_open_window write RECORDS PATH          writes a dual recording of RECORDS lines
//   bench_open_window open PATH [plot] [print]    opens it and prints what each step took
//   bench_open_window refuse PATH                 opens a file that is refused for its records and
//                                                 prints the memory held before and after
#include <malloc.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/data_file_reader.h"
#include "lists/bench_machine.h"
#include "lists/grid.h"
#include "support/dual_records.h"
#include "ui/lists/list_window.h"
#include "ui/lists/list_windows.h"
#include "ui/plot/plot_windows.h"

namespace calvex::bench {
namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One step's wall and CPU time, from its start to the moment the event loop has run the events it
// left behind.
class Step {
public:
    explicit Step(const char* name) : m_name(name), m_cpu(cpuSeconds()) { m_wall.start(); }
    void report() const {
        std::printf("%s: %.0f ms wall, %.0f ms CPU\n", m_name,
                    static_cast<double>(m_wall.nsecsElapsed()) / 1e6, (cpuSeconds() - m_cpu) * 1e3);
        std::fflush(stdout);
    }

private:
    const char* m_name;
    double m_cpu;
    QElapsedTimer m_wall;
};

// The process's resident memory, its peak so far, and what the allocator holds in use and free, in MB.
void printMemory(const char* when, int messages) {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const struct mallinfo2 info = mallinfo2();
    std::printf(
        "%s: resident %.1f MB (peak %.1f MB), allocated %.1f MB, free in the heap %.1f MB, %d messages\n",
        when, static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6,
        static_cast<double>(usage.ru_maxrss) * 1024 / 1e6,
        static_cast<double>(info.uordblks + info.hblkhd) / 1e6, static_cast<double>(info.fordblks) / 1e6,
        messages);
    std::fflush(stdout);
}

int refuse(const std::string& path) {
    Machine m("/dev/null");
    ListWindows lists(m.session);
    m.session.lists = &lists;
    QTimer::singleShot(0, [&] {
        printMemory("before", m.dialogs.messages);
        OpenDataFile(m.session, path);
        printMemory("refused", m.dialogs.messages);
        // Once the closed list's window has gone.
        QTimer::singleShot(0, [&m] {
            printMemory("after the events", m.dialogs.messages);
            QApplication::quit();
        });
    });
    QApplication::exec();
    return 0;
}

int open(const std::string& path, bool plot, bool print) {
    const std::string pdf = path + ".pdf";
    Machine m(print ? pdf : "/dev/null");
    ListWindows lists(m.session);
    PlotWindows plots(m.session);
    m.session.lists = &lists;
    m.session.plot = &plots;
    m.session.state.DualModel = true;
    int status = 0;

    // A zero timer fires once the events queued before it have run: the paint the opened list
    // asked for, the title changes sent to the window system.
    QTimer::singleShot(0, [&] {
        auto* step = new Step("open");
        if (!OpenDataFile(m.session, path) || lists.window(ListKind::File, true) == nullptr) {
            std::fprintf(stderr, "bench_open_window: %s did not open as dual data\n", path.c_str());
            status = 1;
            QApplication::quit();
            return;
        }
        QTimer::singleShot(0, [&, step] {
            step->report();
            delete step;
            auto* list = dynamic_cast<ListWindow*>(lists.window(ListKind::File, true));
            std::printf("rows: %d\n", list->grid().rows() - 1);
            auto* plotStep = plot ? new Step("plot") : nullptr;
            if (plot)
                list->Toolbar1_ButtonClick("Plot");
            QTimer::singleShot(0, [&, list, plotStep] {
                if (plotStep != nullptr) {
                    plotStep->report();
                    delete plotStep;
                }
                if (print) {
                    // The events of every printed line run inside.
                    Step printStep("print");
                    list->Toolbar1_ButtonClick("Print");
                    printStep.report();
                    std::printf("pdf bytes: %ju\n",
                                static_cast<std::uintmax_t>(std::filesystem::file_size(pdf)));
                    std::remove(pdf.c_str());
                }
                QApplication::quit();
            });
        });
    });
    QApplication::exec();
    return status;
}

}  // namespace
}  // namespace calvex::bench

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 4) {
        if (calvex::bench::writeDualFile(argv[3], std::stol(argv[2])))
            return 0;
        std::fprintf(stderr, "bench_open_window: %s could not be written\n", argv[3]);
        return 1;
    }
    if (command == "refuse" && argc == 3) {
        QApplication app(argc, argv);
        return calvex::bench::refuse(argv[2]);
    }
    bool plot = false;
    bool print = false;
    bool known = command == "open" && argc >= 3;
    for (int i = 3; i < argc; ++i) {
        const std::string step = argv[i];
        plot = plot || step == "plot";
        print = print || step == "print";
        known = known && (step == "plot" || step == "print");
    }
    if (known) {
        QApplication app(argc, argv);
        return calvex::bench::open(argv[2], plot, print);
    }
    std::fprintf(stderr,
                 "usage: bench_open_window write RECORDS PATH\n"
                 "       bench_open_window open PATH [plot] [print]\n"
                 "       bench_open_window refuse PATH\n");
    return 2;
}
