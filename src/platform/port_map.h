#pragma once

#include <map>
#include <string>
#include <vector>

namespace calvex {

// A serial port as the system reports it.
struct SystemPort {
    std::string device;       // "/dev/ttyUSB0"
    std::string description;  // the system's words for it: "USB serial adapter", "FT232R USB UART"
    std::string byId;         // its name under /dev/serial/by-id, empty when it has none
    bool adapter = false;     // a USB or ACM adapter (or anything with a by-id name)
};

// What a COM name stands for on this machine.
struct MappedPort {
    std::string device;
    std::string description;  // empty for a device named on the command line that the system does not list
};

// The serial ports the system reports, as the program lists them.
class PortDirectory {
public:
    virtual ~PortDirectory() = default;
    virtual std::vector<SystemPort> systemPorts() const = 0;
};

inline constexpr int kComPorts = 8;

// COM1..COM8 from the system's ports, in an order a user can predict: adapters first, by their
// /dev/serial/by-id name (stable across replugging, unlike ttyUSBn), then built-in ports by
// device number (ttyS2 before ttyS10). `--com N=DEVICE` mappings take their number whatever the
// system lists; the system's ports fill the numbers left free, in that order.
std::map<int, MappedPort> mapComPorts(const std::vector<SystemPort>& ports,
                                      const std::map<int, std::string>& chosen);

// The rule above in a few lines, for --help and the README.
std::string comPortRule();

}  // namespace calvex
