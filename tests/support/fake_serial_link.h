#pragma once

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform/serial_link.h"

namespace calvex::test {

// A serial line driven by the test: bytes "arrive" when the test feeds them, opens fail on
// demand, and everything the program does to the port is logged.
class FakeSerialLink : public SerialLink {
public:
    void setPortNumber(int number) override {
        m_number = number;
        log("port " + std::to_string(number));
    }
    int portNumber() const override { return m_number; }
    void setSettings(const std::string& settings) override { m_settings = settings; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool failed() const override { return m_failed; }
    std::string lastError() const override { return m_lastError; }
    std::string deviceName(int number) const override { return "/dev/ttyS" + std::to_string(number - 1); }
    std::string describePort(int number) const override {
        return deviceName(number) + ", built-in serial port";
    }
    int bytesWaiting() override { return static_cast<int>(m_input.size()); }
    std::string readAll() override;
    void clearInput() override { m_input.clear(); }
    bool write(std::string_view bytes) override;

    // Test side
    void feed(const std::string& bytes);            // bytes arrive on the line (only while open)
    void failPort(const std::string& reason);       // the port breaks (unplugged)
    std::set<int> failingPorts;                     // COM numbers whose open fails
    std::string openFailure = "Permission denied";  // the reason given for them
    std::string written;                            // everything the program sent
    std::vector<std::string> events;                // "port N", "open N", "close N", "open-failed N"
    const std::string& settings() const { return m_settings; }

private:
    void log(const std::string& event) { events.push_back(event); }

    int m_number = 0;
    std::string m_settings;
    bool m_open = false;
    bool m_failed = false;
    std::string m_lastError;
    std::string m_input;
};

}  // namespace calvex::test
