#include "platform/capture_link.h"

#include <cerrno>
#include <cstring>

namespace calvex {

std::string formatCaptureSeconds(std::int64_t microseconds) {
    if (microseconds < 0)
        microseconds = 0;
    std::string fraction = std::to_string(microseconds % 1'000'000);
    fraction.insert(0, 6 - fraction.size(), '0');
    return std::to_string(microseconds / 1'000'000) + "." + fraction;
}

std::string formatCaptureLine(std::int64_t microseconds, char direction, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line = formatCaptureSeconds(microseconds) + " " + direction;
    line.reserve(line.size() + bytes.size() * 3 + 1);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        line += ' ';
        line += kHex[byte >> 4];
        line += kHex[byte & 0x0F];
    }
    line += '\n';
    return line;
}

CaptureLink::CaptureLink(SerialLink& inner, const Clock& clock, const std::string& path)
    : m_inner(inner), m_clock(clock), m_startMs(clock.monotonicMs()), m_path(path) {
    // The inner link wakes whoever waits on this one: waits still end as soon as bytes arrive.
    m_inner.setActivityHandler([this] { notifyActivity(); });
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) {
        m_error = path + ": " + std::strerror(errno);
        return;
    }
    put(std::string(kCaptureHeader));
}

CaptureLink::~CaptureLink() {
    m_inner.setActivityHandler(nullptr);
    if (m_file)
        std::fclose(m_file);
}

bool CaptureLink::open() {
    const bool opened = m_inner.open();
    comment("open COM" + std::to_string(m_inner.portNumber()) +
            (opened ? std::string() : " failed: " + m_inner.lastError()));
    return opened;
}

void CaptureLink::close() {
    // What arrived but was never read goes into the capture before the port drops it.
    if (m_inner.isOpen())
        log('<', m_inner.readAll());
    m_inner.close();
    comment("close");
}

std::string CaptureLink::readAll() {
    std::string bytes = m_inner.readAll();
    log('<', bytes);
    return bytes;
}

// The bytes the port would drop unseen are read first, so the capture holds every byte that
// reached the program; only what the system still holds below Qt's buffer goes uncaptured.
void CaptureLink::clearInput() {
    log('<', m_inner.readAll());
    m_inner.clearInput();
}

bool CaptureLink::write(std::string_view bytes) {
    log('>', bytes);
    const bool sent = m_inner.write(bytes);
    if (!sent && !bytes.empty())
        comment("write failed");
    return sent;
}

std::int64_t CaptureLink::elapsedUs() const {
    return (m_clock.monotonicMs() - m_startMs) * 1000;
}

void CaptureLink::log(char direction, std::string_view bytes) {
    if (!m_file)
        return;
    const std::int64_t at = elapsedUs();
    for (std::size_t from = 0; from < bytes.size(); from += kCaptureBytesPerLine)
        put(formatCaptureLine(at, direction, bytes.substr(from, kCaptureBytesPerLine)));
}

void CaptureLink::comment(const std::string& text) {
    if (!m_file)
        return;
    std::string line = "# " + formatCaptureSeconds(elapsedUs()) + " " + text;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';  // a system message must not end the comment early
    put(line + "\n");
}

void CaptureLink::put(const std::string& text) {
    if (!m_file)
        return;
    if (std::fputs(text.c_str(), m_file) >= 0 && std::fflush(m_file) == 0)
        return;
    m_error = m_path + ": " + std::strerror(errno);
    std::fclose(m_file);
    m_file = nullptr;
    if (m_onError)
        m_onError(m_error);
}

}  // namespace calvex
