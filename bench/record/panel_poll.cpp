// The panel polling a real port for a while, for comparing its CPU with calvex-record's:
// bench_panel_poll DEVICE SECONDS prints the CPU seconds the process used after its start-up.
#include <sys/resource.h>

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <string>

#include "platform/headless_services.h"
#include "platform/qt_serial_link.h"
#include "platform/system_clock.h"
#include "ui/panel/panel.h"

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_panel_poll DEVICE SECONDS\n");
        return 2;
    }
    QApplication app(argc, argv);
    calvex::QtSerialLink port({{1, argv[1]}});
    calvex::SystemClock clock;
    calvex::StderrDialogs dialogs("bench_panel_poll");
    calvex::NoPrinter printer;
    calvex::Session session(port, clock, dialogs, printer);
    session.state.ComPort = 1;
    // The panel deletes itself when it closes (at quit), as the program's main window does.
    auto* panel = new calvex::Panel(session);
    panel->show();
    if (!panel->Form_Load())
        return 1;
    double start = 0;
    QTimer::singleShot(2000, [&] { start = cpuSeconds(); });
    QTimer::singleShot(2000 + std::stoi(argv[2]) * 1000, [&] {
        std::printf("%.3f\n", cpuSeconds() - start);
        QApplication::quit();
    });
    return QApplication::exec();
}
