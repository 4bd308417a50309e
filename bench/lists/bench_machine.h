#pragma once

#include <benchmark/benchmark.h>
#include <QApplication>
#include <fstream>
#include <string>

#include "app/session.h"
#include "platform/qt_printer.h"
#include "platform/system_clock.h"

namespace calvex::bench {

// No instrument is attached in these runs.
class NoSerialLink : public SerialLink {
public:
    void setPortNumber(int number) override { m_number = number; }
    int portNumber() const override { return m_number; }
    void setSettings(const std::string&) override {}
    bool open() override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    bool failed() const override { return false; }
    std::string lastError() const override { return {}; }
    std::string deviceName(int) const override { return {}; }
    std::string describePort(int) const override { return {}; }
    int bytesWaiting() override { return 0; }
    std::string readAll() override { return {}; }
    void clearInput() override {}
    bool write(std::string_view) override { return false; }

private:
    int m_number = 1;
};

// Dialogs that never block a run: messages are counted, file dialogs answer from `path`.
class SilentDialogs : public Dialogs {
public:
    void message(const std::string&, int, const std::string&, const std::string&) override { ++messages; }
    bool question(const std::string&, const std::string&) override { return false; }
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
