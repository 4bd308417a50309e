#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace calvex {

// What calvex-record was asked to do.
struct RecordOptions {
    // The port: "COMn", "Auto" or a device path.
    std::string port = "COM1";
    std::map<int, std::string> devices;  // --com N=DEVICE
    int every = 2;
    std::optional<double> duration;  // seconds
    std::optional<long> count;       // lines
    std::string output = "-";
    bool append = false;
    bool quiet = false;
    bool memory = false;
    std::optional<int> set;
    std::string start;  // hh:mm:ss, for --set
    std::string capture;

    bool help = false;
    bool version = false;
    std::string error;  // not empty when the arguments cannot be used

    // The COM number and scan the port option stands for (a device path becomes COM1, or the number
    // --com gives it).
    int comPort() const;
    bool autoScan() const { return port == "Auto"; }
    // The --com mappings with a device path given to --port added.
    std::map<int, std::string> deviceMap() const;
};

// `arguments` without the program name.
RecordOptions parseRecordOptions(const std::vector<std::string>& arguments);
std::string recordHelp();

}  // namespace calvex
