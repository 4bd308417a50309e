#include "app/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

#include "platform/port_map.h"

namespace calvex {

namespace {

constexpr const char* kComExample =
    "--com expects N=DEVICE with N from 1 to 8, for example --com 1=/dev/ttyUSB0";

// "N=DEVICE" (or "COMN=DEVICE") with N a whole number 1..255 and a device name that is not empty.
bool parseMapping(const std::string& text, CommandLine& line) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 >= text.size())
        return false;
    std::size_t first = 0;
    if (text.compare(0, 3, "COM") == 0 || text.compare(0, 3, "com") == 0)
        first = 3;
    if (first == equals)
        return false;
    int number = 0;
    for (std::size_t i = first; i < equals; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
        if (number > 255)
            return false;
    }
    if (number < 1)
        return false;
    line.devices[number] = text.substr(equals + 1);
    return true;
}

CommandLine failed(const std::string& message) {
    CommandLine line;
    line.finished = true;
    line.exitCode = 2;
    line.errors = "calvex: " + message + "\nTry 'calvex --help' for more information.\n";
    return line;
}

// QApplication takes these from the command line after we are done with it; the parser must
// know them only so that it neither rejects them nor takes their values for our arguments.
void addQtOptions(QCommandLineParser& parser) {
    const char* withValue[] = {"platform",
                               "platformpluginpath",
                               "platformtheme",
                               "plugin",
                               "qwindowgeometry",
                               "qwindowicon",
                               "qwindowtitle",
                               "display",
                               "geometry",
                               "title",
                               "name",
                               "session",
                               "style",
                               "stylesheet",
                               "qmljsdebugger"};
    const char* flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const char* name : withValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

std::string indented(const std::string& text) {
    std::string result = "  ";
    for (std::size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == '\n' && i + 1 < text.size())
            result += "  ";
    }
    return result;
}

constexpr const char* kCaptureFormat =
    "Text, one line per chunk of bytes: the seconds since the capture started (monotonic\n"
    "clock, six decimals), \"<\" for bytes received from the instrument or \">\" for bytes\n"
    "sent to it, and the bytes in hex, e.g.\n"
    "  12.345678 < 02 00 00 FB 60 00 64 00 03\n"
    "  13.001000 > 41\n"
    "Lines starting with # are comments. Each line is flushed as it is written.\n";

}  // namespace

std::string versionText() {
    return std::string("Calvex ") + CALVEX_VERSION + "\n";
}

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // Qt's own options are single-dash words (-platform offscreen), so ours read the same way.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Reads a thermocouple datalogger thermometer on a serial port (RS-232): the live reading,\n"
        "recording to TAB-separated files, real-time lists and charts, the instrument's memory,\n"
        "and saved data reopened, listed, printed and plotted."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption com(QStringLiteral("com"),
                                 QStringLiteral("Use DEVICE for the port COMN (N from 1 to 8); may be given "
                                                "more than once, e.g. --com 1=/dev/ttyUSB0."),
                                 QStringLiteral("N=DEVICE"));
    const QCommandLineOption capture(
        QStringLiteral("capture"),
        QStringLiteral("Write every byte received from and sent to the serial port to FILE, one chunk a "
                       "line (see Capture file below); calvex-sim --replay FILE plays it back."),
        QStringLiteral("FILE"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(com);
    parser.addOption(capture);
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("A data file to show in its file list, as Open does. With several, the list shows "
                       "the first and Recent Files (Ctrl+Shift+O) holds the others."),
        QStringLiteral("[FILE...]"));
    addQtOptions(parser);

    if (!parser.parse(arguments))
        return failed(parser.errorText().toStdString());
    if (parser.isSet(help)) {
        CommandLine line;
        line.finished = true;
        // Qt names the program by the path it was started from; the user knows it by its name.
        std::string usage = parser.helpText().toStdString();
        if (const std::string start = "Usage: "; usage.rfind(start, 0) == 0)
            usage.replace(start.size(), usage.find(' ', start.size()) - start.size(), "calvex");
        line.output = usage + "\nSerial ports:\n" + indented(comPortRule()) + "\nCapture file:\n" +
                      indented(kCaptureFormat) +
                      "\nQt's own options (-platform, -display, -style, ...) are passed on to Qt.\n";
        return line;
    }
    if (parser.isSet(version)) {
        CommandLine line;
        line.finished = true;
        line.output = versionText();
        return line;
    }
    CommandLine line;
    for (const QString& file : parser.positionalArguments())
        line.files.push_back(file.toStdString());
    if (parser.isSet(capture)) {
        line.captureFile = parser.value(capture).toStdString();
        if (line.captureFile.empty())
            return failed("--capture needs a file name");
    }
    for (const QString& value : parser.values(com)) {
        if (!parseMapping(value.toStdString(), line))
            return failed(std::string(kComExample) + ", not '" + value.toStdString() + "'");
    }
    // The COM Port window offers COM1 to COM8: a higher number could never be chosen.
    if (!line.devices.empty() && line.devices.rbegin()->first > kComPorts)
        return failed("--com takes N from 1 to " + std::to_string(kComPorts) +
                      ", the ports the COM Port window offers, not " +
                      std::to_string(line.devices.rbegin()->first));
    return line;
}

}  // namespace calvex
