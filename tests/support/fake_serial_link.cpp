#include "support/fake_serial_link.h"

namespace calvex::test {

bool FakeSerialLink::open() {
    if (failingPorts.count(m_number) || m_number < 1) {
        m_lastError = openFailure;
        log("open-failed " + std::to_string(m_number));
        return false;
    }
    m_open = true;
    m_failed = false;
    m_input.clear();
    log("open " + std::to_string(m_number));
    return true;
}

void FakeSerialLink::close() {
    if (m_open)
        log("close " + std::to_string(m_number));
    m_open = false;
    m_failed = false;
    m_input.clear();
}

std::string FakeSerialLink::readAll() {
    std::string bytes;
    bytes.swap(m_input);
    return bytes;
}

bool FakeSerialLink::write(std::string_view bytes) {
    if (!m_open)
        return false;
    written.append(bytes);
    return true;
}

void FakeSerialLink::feed(const std::string& bytes) {
    if (!m_open)
        return;
    m_input += bytes;
    notifyActivity();
}

void FakeSerialLink::failPort(const std::string& reason) {
    m_failed = true;
    m_lastError = reason;
    notifyActivity();
}

}  // namespace calvex::test
