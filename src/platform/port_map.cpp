#include "platform/port_map.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <tuple>

namespace calvex {

namespace {

// "/dev/ttyS10" as ("/dev/ttyS", 10), so numbered devices sort by number, not by text.
std::pair<std::string, long> splitTrailingNumber(const std::string& device) {
    std::size_t digits = device.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(device[digits - 1])) &&
           device.size() - digits < 9)
        --digits;
    const long number = digits < device.size() ? std::stol(device.substr(digits)) : -1;
    return {device.substr(0, digits), number};
}

bool listedBefore(const SystemPort& a, const SystemPort& b) {
    if (a.adapter != b.adapter)
        return a.adapter;
    // Adapters without a by-id name come after those with one, by device.
    if (a.adapter && a.byId.empty() != b.byId.empty())
        return !a.byId.empty();
    if (a.adapter && a.byId != b.byId)
        return a.byId < b.byId;
    return splitTrailingNumber(a.device) < splitTrailingNumber(b.device);
}

}  // namespace

std::map<int, MappedPort> mapComPorts(const std::vector<SystemPort>& ports,
                                      const std::map<int, std::string>& chosen) {
    std::map<int, MappedPort> map;
    std::set<std::string> taken;
    for (const auto& [number, device] : chosen) {
        std::string description;
        for (const SystemPort& port : ports)
            if (port.device == device)
                description = port.description;
        map[number] = {device, description};
        taken.insert(device);
    }
    std::vector<SystemPort> listed;
    for (const SystemPort& port : ports)
        if (!taken.count(port.device))
            listed.push_back(port);
    std::sort(listed.begin(), listed.end(), listedBefore);
    auto next = listed.begin();
    for (int number = 1; number <= kComPorts && next != listed.end(); ++number) {
        if (map.count(number))
            continue;
        map[number] = {next->device, next->description};
        ++next;
    }
    return map;
}

std::string comPortRule() {
    return "COM1..COM8 are the serial ports the system reports: USB and ACM adapters first, in the\n"
           "order of their names under /dev/serial/by-id, then built-in ports that really exist\n"
           "(/dev/ttyS0, /dev/ttyS1, ...). --com N=DEVICE gives COMN to DEVICE; the system's ports\n"
           "fill the numbers left free. The list is read again each time a port is opened, so an\n"
           "adapter plugged in after start is found.\n";
}

}  // namespace calvex
