// calvex-plot: a data file's stored-data plot drawn into a PNG, SVG or PDF file, with no display.
#include <QGuiApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/headless_services.h"
#include "platform/runtime_folder.h"
#include "plotcli/plot_options.h"
#include "plotcli/plot_run.h"

#ifndef CALVEX_VERSION
#define CALVEX_VERSION "unknown"
#endif

int main(int argc, char** argv) {
    calvex::provideRuntimeFolder();  // before Qt, which would warn of its absence
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const calvex::PlotOptions options = calvex::parsePlotOptions(arguments);
    if (options.help) {
        std::fputs(calvex::plotHelp().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("calvex-plot %s\n", CALVEX_VERSION);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "calvex-plot: %s (try calvex-plot --help)\n", options.error.c_str());
        return 2;
    }

    // Fonts and painting need a GUI application, not a display: the offscreen platform has none,
    // unless the user asks for another one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt sees no arguments: the file name is ours, whatever it looks like.
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    calvex::StderrDialogs dialogs("calvex-plot");
    return calvex::runPlot(options, calvex::plotWindowFont(), dialogs);
}
