#pragma once

#include "platform/port_map.h"

namespace calvex {

// The ports QSerialPortInfo reports, with their /dev/serial/by-id names.
class QtPortDirectory : public PortDirectory {
public:
    std::vector<SystemPort> systemPorts() const override;
};

}  // namespace calvex
