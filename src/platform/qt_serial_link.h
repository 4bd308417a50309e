#pragma once

#include <QObject>
#include <QSerialPort>
#include <map>
#include <memory>

#include "platform/port_map.h"
#include "platform/serial_link.h"

namespace calvex {

// COMn on QSerialPort: the n-th of the serial ports the system reports (see mapComPorts), unless
// the command line maps the number to a device (an adapter, the simulator's pseudo-terminal).
class QtSerialLink : public QObject, public SerialLink {
    Q_OBJECT
public:
    // `ports` lists the system's ports (QSerialPortInfo when none is given).
    explicit QtSerialLink(std::map<int, std::string> deviceMap = {},
                          std::unique_ptr<PortDirectory> ports = {}, QObject* parent = nullptr);
    ~QtSerialLink() override;

    void setPortNumber(int number) override;
    int portNumber() const override { return m_number; }
    void setSettings(const std::string& settings) override;
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    bool failed() const override { return m_failed; }
    std::string lastError() const override { return m_lastError; }
    std::string deviceName(int number) const override;
    std::string describePort(int number) const override;
    int bytesWaiting() override;
    std::string readAll() override;
    void clearInput() override;
    bool write(std::string_view bytes) override;

    // The program and process that hold the exclusive lock on `device` (whatever path names it),
    // as "calvex-record (process 1234)"; empty when no holder is found.
    static std::string lockHolder(const std::string& device);

private:
    void onError(QSerialPort::SerialPortError error);
    MappedPort mapped(int number) const;
    // Takes the exclusive lock on the device; false when another opener holds it.
    bool takeLock(const std::string& device);
    void releaseLock();

    QSerialPort m_port;
    std::map<int, std::string> m_deviceMap;
    std::unique_ptr<PortDirectory> m_ports;
    int m_number = 1;
    std::string m_settings = "9600,n,8,1";
    bool m_failed = false;
    std::string m_lastError;
    int m_lockFd = -1;  // holds the lock on the open device
};

}  // namespace calvex
