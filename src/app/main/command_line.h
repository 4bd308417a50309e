#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace calvex {

struct CommandLine {
    // COM number -> device, from "--com N=DEVICE" (repeatable).
    std::map<int, std::string> devices;
    bool help = false;
    std::string error;  // not empty when the arguments cannot be used
};

CommandLine parseCommandLine(const std::vector<std::string>& arguments);
std::string commandLineHelp();

}  // namespace calvex
