#include <gtest/gtest.h>

#include "platform/open_failure.h"
#include "platform/port_map.h"
#include "platform/qt_serial_link.h"
#include "ui/panel/port_window.h"

namespace calvex {
namespace {

class ScriptedPorts : public PortDirectory {
public:
    explicit ScriptedPorts(std::vector<SystemPort>& ports) : m_ports(ports) {}
    std::vector<SystemPort> systemPorts() const override { return m_ports; }

private:
    std::vector<SystemPort>& m_ports;
};

const SystemPort kUsb0{"/dev/ttyUSB0", "FT232R USB UART", "usb-FTDI_FT232R_USB_UART_B0002-if00-port0", true};
const SystemPort kUsb1{"/dev/ttyUSB1", "USB serial adapter", "usb-Acme_Serial_A0001-if00-port0", true};
const SystemPort kAcm0{"/dev/ttyACM0", "USB serial adapter", "", true};
const SystemPort kS0{"/dev/ttyS0", "built-in serial port", "", false};
const SystemPort kS2{"/dev/ttyS2", "built-in serial port", "", false};
const SystemPort kS10{"/dev/ttyS10", "built-in serial port", "", false};

std::string devices(const std::map<int, MappedPort>& map) {
    std::string out;
    for (const auto& [number, port] : map)
        out += "COM" + std::to_string(number) + "=" + port.device + " ";
    return out;
}

TEST(ComPortMap, AdaptersByTheirStableNameThenBuiltInPortsByNumber) {
    struct Case {
        const char* what;
        std::vector<SystemPort> ports;
        std::map<int, std::string> chosen;
        const char* expected;
    };
    const Case cases[] = {
        {"nothing", {}, {}, ""},
        {"built-in only, by number not text",
         {kS10, kS2, kS0},
         {},
         "COM1=/dev/ttyS0 COM2=/dev/ttyS2 COM3=/dev/ttyS10 "},
        // ttyUSB1's by-id name sorts first, whatever number the kernel gave it.
        {"adapters first, by their by-id name",
         {kS0, kUsb0, kAcm0, kUsb1},
         {},
         "COM1=/dev/ttyUSB1 COM2=/dev/ttyUSB0 COM3=/dev/ttyACM0 COM4=/dev/ttyS0 "},
        {"a chosen mapping keeps its number, the rest fill the free ones",
         {kUsb0, kS0},
         {{1, "/tmp/sim"}},
         "COM1=/tmp/sim COM2=/dev/ttyUSB0 COM3=/dev/ttyS0 "},
        {"a chosen system port is not listed twice",
         {kUsb0, kS0},
         {{3, "/dev/ttyUSB0"}},
         "COM1=/dev/ttyS0 COM3=/dev/ttyUSB0 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(devices(mapComPorts(c.ports, c.chosen)), c.expected) << c.what;

    std::vector<SystemPort> many(12, kS0);
    for (std::size_t i = 0; i < many.size(); ++i)
        many[i].device = "/dev/ttyS" + std::to_string(i);
    EXPECT_EQ(mapComPorts(many, {}).size(), 8u);  // COM1..COM8 only
}

TEST(ComPortMap, ThePortWindowSaysWhatTheChosenNameStandsFor) {
    std::vector<SystemPort> ports{kS0, kUsb0};
    QtSerialLink link({}, std::make_unique<ScriptedPorts>(ports));
    EXPECT_EQ(portDeviceText("COM1", link), "COM1: /dev/ttyUSB0, FT232R USB UART");
    EXPECT_EQ(portDeviceText("COM2", link), "COM2: /dev/ttyS0, built-in serial port");
    EXPECT_EQ(portDeviceText("COM3", link), "COM3: no serial port of this machine");
    EXPECT_EQ(portDeviceText("Auto", link),
              "Auto: each port in turn, from COM1 (COM1: /dev/ttyUSB0, FT232R USB UART)");
    EXPECT_EQ(portDeviceText("com1", link), "Choose COM1 to COM8, or Auto.");

    // An adapter plugged in after start takes its place at the next look.
    ports.push_back(kUsb1);
    EXPECT_EQ(link.deviceName(1), "/dev/ttyUSB1");
}

TEST(ComPortMap, OpenFailuresSayWhyAndWhatToDo) {
    const std::pair<OpenFailure, const char*> cases[] = {
        {OpenFailure::PermissionDenied,
         "Permission denied: add yourself to the dialout group (then log out and in)"},
        {OpenFailure::NoSuchDevice, "No such device"},
        {OpenFailure::DeviceBusy, "Device busy"},
        {OpenFailure::NotMapped, "No serial port of this machine stands for this COM number"},
        {OpenFailure::Other, "Input/output error"},
    };
    for (const auto& [reason, text] : cases)
        EXPECT_EQ(openFailureText(reason, "Input/output error"), text);

    // Through the real port: a number no device stands for, and a device that is not there.
    std::vector<SystemPort> ports;
    QtSerialLink link({{2, "/dev/calvex-no-such-port"}}, std::make_unique<ScriptedPorts>(ports));
    link.setPortNumber(1);
    EXPECT_FALSE(link.open());
    EXPECT_EQ(link.lastError(), "No serial port of this machine stands for this COM number");
    link.setPortNumber(2);
    EXPECT_FALSE(link.open());
    EXPECT_EQ(link.lastError(), "No such device");
}

}  // namespace
}  // namespace calvex
