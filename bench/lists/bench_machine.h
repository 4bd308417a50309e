#pragma once

#include <benchmark/benchmark.h>
#include <QApplication>
#include <fstream>
#include <string>

#include "platform/headless_services.h"
#include "platform/system_clock.h"
#include "session/session.h"
#include "ui/common/qt_printer.h"

namespace calvex::bench {

// Dialogs that never block a run: messages are counted, file dialogs answer from `path`.
class SilentDialogs : public Dialogs {
public:
    void message(const std::string&, int, const std::string&, const std::string&) override { ++messages; }
    bool question(const std::string&, const std::string&, bool) override { return false; }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::string openFile() override { return path; }
    std::string saveFile() override { return path; }
    PictureChoice savePicture() override { return {}; }
    void setBusy(bool) override {}

    std::string path;
    int messages = 0;
};

// A session on the real clock and a PDF printer, with nothing that waits for the user.
struct Machine {
    explicit Machine(const std::string& pdf = "/dev/null") : printer(pdf) {}
    NoSerialLink port;
    SystemClock clock;
    SilentDialogs dialogs;
    QtPrinter printer;
    Session session{port, clock, dialogs, printer};
};

inline double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}

}  // namespace calvex::bench
