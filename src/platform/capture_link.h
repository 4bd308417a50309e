#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/serial_link.h"

namespace calvex {

// The capture file, a text file of one chunk a line, LF line ends:
//
//     # calvex capture v1: seconds since start, < received / > sent, hex bytes
//     0.312000 < 02 00 00 EA 00 00 F5 01 03
//     5.108000 > 41
//
// seconds since the capture started on the monotonic clock with six decimals, one blank, "<" for
// bytes received from the instrument or ">" for bytes sent to it, one blank, and the bytes as
// upper-case hex pairs separated by one blank. Lines starting with "#" are comments: the header,
// and "# 1.250000 open COM1", "# 9.000000 close" or "# 3.000000 write failed" as they happen. A chunk
// longer than kCaptureBytesPerLine bytes takes several lines with the same time.
inline constexpr std::size_t kCaptureBytesPerLine = 4096;
inline constexpr std::string_view kCaptureHeader =
    "# calvex capture v1: seconds since start, < received / > sent, hex bytes\n";

// "12.345678": the seconds of a capture line.
std::string formatCaptureSeconds(std::int64_t microseconds);
// One line of the capture file for `bytes` (at most kCaptureBytesPerLine of them) seen
// `microseconds` after the start; `direction` is '<' or '>'. Ends with "\n".
std::string formatCaptureLine(std::int64_t microseconds, char direction, std::string_view bytes);

// A SerialLink that passes every operation on to another one and writes every byte received
// (what readAll() returns, and what clearInput() would have dropped) and every byte sent to a
// capture file, each line flushed to the system as it is written, so that a session that ends in a
// crash leaves its capture whole up to the crash.
class CaptureLink : public SerialLink {
public:
    // Creates or empties the file at `path` and writes the header; ok() tells whether that
    // worked. The capture's time starts now.
    CaptureLink(SerialLink& inner, const Clock& clock, const std::string& path);
    ~CaptureLink() override;
    CaptureLink(const CaptureLink&) = delete;
    CaptureLink& operator=(const CaptureLink&) = delete;

    // False once the file could not be opened or written; the link keeps working without it.
    bool ok() const { return m_file != nullptr; }
    // Why the file could not be opened or written, with its path; empty while ok().
    const std::string& error() const { return m_error; }
    // Called once, with error(), when writing the file fails after the start.
    void setErrorHandler(std::function<void(const std::string&)> handler) { m_onError = std::move(handler); }

    void setPortNumber(int number) override { m_inner.setPortNumber(number); }
    int portNumber() const override { return m_inner.portNumber(); }
    void setSettings(const std::string& settings) override { m_inner.setSettings(settings); }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_inner.isOpen(); }
    bool failed() const override { return m_inner.failed(); }
    std::string lastError() const override { return m_inner.lastError(); }
    std::string deviceName(int number) const override { return m_inner.deviceName(number); }
    std::string describePort(int number) const override { return m_inner.describePort(number); }
    int bytesWaiting() override { return m_inner.bytesWaiting(); }
    std::string readAll() override;
    void clearInput() override;
    bool write(std::string_view bytes) override;

private:
    void log(char direction, std::string_view bytes);
    void comment(const std::string& text);
    void put(const std::string& text);
    std::int64_t elapsedUs() const;

    SerialLink& m_inner;
    const Clock& m_clock;
    std::int64_t m_startMs;
    std::string m_path;
    std::FILE* m_file = nullptr;
    std::string m_error;
    std::function<void(const std::string&)> m_onError;
};

}  // namespace calvex
