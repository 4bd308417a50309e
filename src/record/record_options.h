#pragma once

#include <cstdint>
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
    // The file's lines: "tsv" (the program's data file), "csv" or "line-protocol".
    std::string format = "tsv";
    // A database write URL, whole, that every sample is sent to beside the file.
    std::string influx;
    std::string tokenFile;  // holds the database's token
    std::string name;       // the instrument tag; empty: the device's name
    std::string spool;      // the folder of the points on their way; empty: the default
    std::uint64_t spoolLimit = 1ULL << 30;

    bool help = false;
    bool version = false;
    std::string error;  // not empty when the arguments cannot be used

    // The COM number and scan the port option stands for (a device path becomes COM1, or the number
    // --com gives it).
    int comPort() const;
    bool autoScan() const { return port == "Auto"; }
    // The output names a file per day, hour...: it holds strftime fields such as %Y-%m-%d.
    bool slicedOutput() const { return output != "-" && output.find('%') != std::string::npos; }
    // The --com mappings with a device path given to --port added.
    std::map<int, std::string> deviceMap() const;
};

// `arguments` without the program name.
RecordOptions parseRecordOptions(const std::vector<std::string>& arguments);
std::string recordHelp();

}  // namespace calvex
