#pragma once

#include <QStringList>
#include <map>
#include <string>
#include <vector>

namespace calvex {

struct CommandLine {
    // COM number -> device, from "--com N=DEVICE" (repeatable).
    std::map<int, std::string> devices;
    // "--capture FILE": every byte on the serial line goes to FILE (see CaptureLink); empty for none.
    std::string captureFile;
    // The data files named on the command line, to be opened as "Open" opens them.
    std::vector<std::string> files;
    // True when the program ends at once (--help, --version, or arguments it cannot use) with
    // `exitCode`, after printing `output` on standard output and `errors` on standard error.
    bool finished = false;
    int exitCode = 0;
    std::string output;
    std::string errors;
};

// `arguments` as QCoreApplication::arguments() gives them, the program first. Needs an
// application object (QCommandLineParser builds its help from it) but no display, so the
// program parses before its QApplication exists.
CommandLine parseCommandLine(const QStringList& arguments);

// What --version prints.
std::string versionText();

}  // namespace calvex
