#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/command_line.h"
#include "files/data_file_reader.h"
#include "platform/capture_link.h"
#include "platform/qt_serial_link.h"
#include "platform/runtime_folder.h"
#include "platform/settings.h"
#include "platform/system_clock.h"
#include "session/session.h"
#include "ui/common/qt_dialogs.h"
#include "ui/common/qt_printer.h"
#include "ui/graph/graph_windows.h"
#include "ui/lists/list_windows.h"
#include "ui/memory/memory_windows.h"
#include "ui/panel/panel.h"
#include "ui/panel/port_window.h"
#include "ui/plot/plot_windows.h"
#include "ui/stats/stats_windows.h"

int main(int argc, char** argv) {
    calvex::provideRuntimeFolder();  // before Qt, which would warn of its absence
    // --help and --version must work over SSH with no display: the parser runs under a plain
    // QCoreApplication, and the QApplication, which needs a display, comes only after it.
    calvex::CommandLine line;
    {
        QCoreApplication core(argc, argv);
        line = calvex::parseCommandLine(QCoreApplication::arguments());
    }
    if (line.finished) {
        std::fputs(line.output.c_str(), stdout);
        std::fputs(line.errors.c_str(), stderr);
        return line.exitCode;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(calvex::kProgramName);
    // Ties the windows to the installed desktop entry and icon, so docks and task bars show them.
    QApplication::setDesktopFileName(QStringLiteral("org.calvex.Calvex"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.calvex.Calvex")));

    calvex::QtSerialLink port(line.devices);
    calvex::SystemClock clock;
    // What the last run left: read once, before any window, and kept up to date as the user works.
    // XDG_CONFIG_HOME moves it, as it does every desktop program's, and tests point it elsewhere.
    calvex::Settings settings(calvex::Settings::defaultPath());
    calvex::QtDialogs dialogs;
    dialogs.setSettings(&settings);
    calvex::QtPrinter printer;
    std::optional<calvex::CaptureLink> capture;
    if (!line.captureFile.empty()) {
        capture.emplace(port, clock, line.captureFile);
        if (!capture->ok()) {
            std::fprintf(stderr, "calvex: cannot write the capture file %s\n", capture->error().c_str());
            return 2;
        }
        // A capture that stops part-way must not pass for a whole one. The message waits for the
        // event loop: the failure is met inside a port operation, in the middle of a poll.
        capture->setErrorHandler([&dialogs](const std::string& error) {
            std::fprintf(stderr, "calvex: the capture stopped: %s\n", error.c_str());
            QTimer::singleShot(0, [&dialogs, error] {
                dialogs.message("The capture file could not be written; the capture has stopped.",
                                calvex::kCriticalStop, error, {});
            });
        });
    }
    calvex::SerialLink& link = capture ? static_cast<calvex::SerialLink&>(*capture) : port;
    calvex::Session session(link, clock, dialogs, printer);
    session.settings = &settings;
    calvex::ListWindows lists(session);
    calvex::GraphWindows graph(session);
    calvex::StatsWindows stats(session);
    calvex::MemoryWindows memory(session);
    calvex::PlotWindows plot(session);
    session.lists = &lists;
    session.graph = &graph;
    session.stats = &stats;
    session.memory = &memory;
    session.plot = &plot;

    QPointer<calvex::Panel> panel;
    auto* chooser = new calvex::Port(session);
    QObject::connect(chooser, &calvex::Port::portChosen, [&] {
        panel = new calvex::Panel(session);
        dialogs.setParent(panel);
        printer.setParent(panel);
        panel->show();
        if (!panel->Form_Load()) {
            // Files given on the command line stay readable without an instrument: their lists
            // keep the program until the last window closes.
            if (lists.window(calvex::ListKind::File, false) != nullptr ||
                lists.window(calvex::ListKind::File, true) != nullptr) {
                panel->deleteLater();
                return;
            }
            QApplication::exit(1);
            return;
        }
        // Closing the main window ends the program with every other window.
        QObject::connect(panel, &calvex::Panel::closed, [] {
            QApplication::closeAllWindows();
            QApplication::quit();
        });
    });
    chooser->show();
    // Opened once the event loop runs, so that the messages about them are shown from it.
    if (!line.files.empty())
        QTimer::singleShot(0, [&] { calvex::OpenGivenFiles(session, line.files); });
    const int result = QApplication::exec();
    // The windows go before the Session and the services they use.
    QApplication::closeAllWindows();
    delete panel.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    session.lists = nullptr;
    session.graph = nullptr;
    session.stats = nullptr;
    session.memory = nullptr;
    session.plot = nullptr;
    return result;
}
