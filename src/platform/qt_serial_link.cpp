#include "platform/qt_serial_link.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "instrument/text_format.h"
#include "platform/open_failure.h"
#include "platform/qt_port_directory.h"

namespace calvex {

namespace {

struct LineSettings {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// "9600,n,8,1": baud, parity letter, data bits, stop bits.
LineSettings parseSettings(const std::string& text) {
    LineSettings s;
    const QStringList parts = QString::fromStdString(text).split(',');
    if (parts.size() > 0)
        s.baud = static_cast<qint32>(leadingNumber(parts[0].toStdString()));
    if (parts.size() > 1) {
        const QString p = parts[1].trimmed().toLower();
        s.parity = p == "e"   ? QSerialPort::EvenParity
                   : p == "o" ? QSerialPort::OddParity
                              : QSerialPort::NoParity;
    }
    if (parts.size() > 2) {
        const int bits = parts[2].trimmed().toInt();
        if (bits >= 5 && bits <= 8)
            s.dataBits = static_cast<QSerialPort::DataBits>(bits);
    }
    if (parts.size() > 3 && parts[3].trimmed() == "2")
        s.stopBits = QSerialPort::TwoStop;
    return s;
}

// Qt reports a port held by another program and one the user may not open alike; the file's
// permissions tell them apart.
OpenFailure classify(QSerialPort::SerialPortError error, const std::string& device) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return OpenFailure::NoSuchDevice;
        case QSerialPort::OpenError:
            return OpenFailure::DeviceBusy;
        case QSerialPort::PermissionError:
            if (::access(device.c_str(), R_OK | W_OK) != 0)
                return errno == ENOENT ? OpenFailure::NoSuchDevice : OpenFailure::PermissionDenied;
            return OpenFailure::DeviceBusy;
        default:
            return OpenFailure::Other;
    }
}

// "Device busy", with who holds the device when that can be found.
std::string busyText(const std::string& device) {
    const std::string holder = QtSerialLink::lockHolder(device);
    return openFailureText(OpenFailure::DeviceBusy) + ": in use by " +
           (holder.empty() ? "another program" : holder);
}

}  // namespace

std::string QtSerialLink::lockHolder(const std::string& device) {
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0)
        return {};
    std::ifstream locks("/proc/locks");
    // The table has a line per lock in the whole system; a bounded look is enough.
    constexpr int kMaxLines = 100000;
    std::string line;
    for (int n = 0; n < kMaxLines && std::getline(locks, line); ++n) {
        // "1: FLOCK  ADVISORY  WRITE 1234 00:1a:7 0 EOF"; waiters carry "->" after the number.
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, place;
        if (!(fields >> number >> kind >> mode >> access >> pid >> place) || kind != "FLOCK" ||
            access != "WRITE")
            continue;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(place.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3)
            continue;
        if (major != ::major(info.st_dev) || minor != ::minor(info.st_dev) || inode != info.st_ino)
            continue;
        std::ifstream comm("/proc/" + pid + "/comm");
        std::string program;
        std::getline(comm, program);
        return (program.empty() ? "a program" : program) + " (process " + pid + ")";
    }
    return {};
}

QtSerialLink::QtSerialLink(std::map<int, std::string> deviceMap, std::unique_ptr<PortDirectory> ports,
                           QObject* parent)
    : QObject(parent), m_deviceMap(std::move(deviceMap)), m_ports(std::move(ports)) {
    if (!m_ports)
        m_ports = std::make_unique<QtPortDirectory>();
    connect(&m_port, &QSerialPort::readyRead, this, [this] { notifyActivity(); });
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialLink::onError);
}

QtSerialLink::~QtSerialLink() {
    close();
}

// The terminal's exclusive mode does not stop root, and the lock file QSerialPort keeps is named
// after the path, so a link and its target both pass it. A lock on the device itself, taken on a
// descriptor of its own, holds for every path, every user and every copy of the program; it goes
// with that descriptor, so a program that ends in any way leaves the device free.
bool QtSerialLink::takeLock(const std::string& device) {
    releaseLock();
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return true;  // QSerialPort's own open tells why the device cannot be opened
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;  // a device that takes no lock at all is opened as before
    }
    m_lockFd = fd;
    return true;
}

void QtSerialLink::releaseLock() {
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
}

void QtSerialLink::setPortNumber(int number) {
    m_number = number;
}

void QtSerialLink::setSettings(const std::string& settings) {
    m_settings = settings;
}

// The mapping is read again each time: an adapter plugged in after start takes its place.
MappedPort QtSerialLink::mapped(int number) const {
    const std::map<int, MappedPort> map = mapComPorts(m_ports->systemPorts(), m_deviceMap);
    const auto it = map.find(number);
    return it == map.end() ? MappedPort{} : it->second;
}

std::string QtSerialLink::deviceName(int number) const {
    return mapped(number).device;
}

std::string QtSerialLink::describePort(int number) const {
    const MappedPort port = mapped(number);
    if (port.device.empty())
        return {};
    return port.description.empty() ? port.device : port.device + ", " + port.description;
}

bool QtSerialLink::open() {
    m_failed = false;
    m_lastError.clear();
    if (m_number < 1) {
        m_lastError = "No COM port was chosen.";
        return false;
    }
    const std::string device = deviceName(m_number);
    if (device.empty()) {
        m_lastError = openFailureText(OpenFailure::NotMapped);
        return false;
    }
    // One port, one reader: the device is locked before Qt touches it, so a refused opener
    // changes nothing of the holder's line (its settings, its exclusive mode).
    if (!takeLock(device)) {
        m_lastError = busyText(device);
        return false;
    }
    m_port.setPortName(QString::fromStdString(device));
    const LineSettings s = parseSettings(m_settings);
    if (!m_port.open(QIODevice::ReadWrite)) {
        releaseLock();
        const OpenFailure reason = classify(m_port.error(), device);
        m_lastError = reason == OpenFailure::DeviceBusy
                          ? busyText(device)
                          : openFailureText(reason, m_port.errorString().toStdString());
        m_port.clearError();
        m_failed = false;
        return false;
    }
    m_port.setBaudRate(s.baud);
    m_port.setParity(s.parity);
    m_port.setDataBits(s.dataBits);
    m_port.setStopBits(s.stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    return true;
}

void QtSerialLink::close() {
    if (m_port.isOpen())
        m_port.close();
    releaseLock();
    m_port.clearError();
    m_failed = false;
}

int QtSerialLink::bytesWaiting() {
    if (!m_port.isOpen())
        return 0;
    return static_cast<int>(m_port.bytesAvailable());
}

std::string QtSerialLink::readAll() {
    if (!m_port.isOpen())
        return {};
    const QByteArray bytes = m_port.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void QtSerialLink::clearInput() {
    if (!m_port.isOpen())
        return;
    m_port.readAll();
    m_port.clear(QSerialPort::Input);
}

bool QtSerialLink::write(std::string_view bytes) {
    if (!m_port.isOpen())
        return false;
    return m_port.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

void QtSerialLink::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    if (!m_port.isOpen())
        return;  // failures of open() are reported by open() itself
    m_failed = true;
    m_lastError = m_port.errorString().toStdString();
    // A device that goes away (an adapter pulled, a line hung up) gives no error number to tell
    // (a read that meets the end of the line's data, a resource error): say what that is.
    if (m_lastError.empty() || m_lastError == "Unknown error") {
        m_lastError = error == QSerialPort::ReadError       ? "the device went away (its data ended)"
                      : error == QSerialPort::ResourceError ? "the device went away"
                      : error == QSerialPort::WriteError
                          ? "a write to the device failed"
                          : "the port failed (error " + std::to_string(error) + ")";
    }
    notifyActivity();
}

}  // namespace calvex
