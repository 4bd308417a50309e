#include "app/main/command_line.h"

namespace calvex {

namespace {

// "N=DEVICE" with N a whole number 1..255 and a device name that is not empty.
bool parseMapping(const std::string& text, CommandLine& line) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 >= text.size())
        return false;
    int number = 0;
    for (std::size_t i = 0; i < equals; ++i) {
        char c = text[i];
        if (i == 0 && (text.compare(0, 3, "COM") == 0 || text.compare(0, 3, "com") == 0)) {
            i += 2;
            continue;
        }
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

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--help" || a == "-h") {
            line.help = true;
        } else if (a == "--com" && i + 1 < arguments.size()) {
            if (!parseMapping(arguments[++i], line))
                line.error = "--com expects N=DEVICE, for example --com 1=/dev/ttyUSB0";
        } else if (a.rfind("--com=", 0) == 0) {
            if (!parseMapping(a.substr(6), line))
                line.error = "--com expects N=DEVICE, for example --com 1=/dev/ttyUSB0";
        } else if (a.rfind("-", 0) == 0 && a.rfind("-platform", 0) != 0) {
            line.error = "unknown option " + a;
        }
    }
    return line;
}

std::string commandLineHelp() {
    return "Usage: calvex [--com N=DEVICE]...\n"
           "\n"
           "Reads a thermocouple datalogger thermometer on a serial port chosen at start (COM1..COM8 or "
           "Auto).\n"
           "\n"
           "  --com N=DEVICE  use DEVICE for the port COMN (repeatable), e.g. --com 1=/dev/ttyUSB0.\n"
           "                  Without it COMN is /dev/ttyS(N-1) on Linux.\n"
           "  --help          show this text\n";
}

}  // namespace calvex
