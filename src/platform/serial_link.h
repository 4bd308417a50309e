#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace calvex {

// The instrument's serial line, as the program uses it: one port chosen by its COM number,
// opened with a settings text such as "9600,n,8,1"; reads return every byte waiting.
class SerialLink {
public:
    virtual ~SerialLink() = default;

    virtual void setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    virtual void setSettings(const std::string& settings) = 0;

    // Opens the port; on failure returns false and lastError() says why, in the system's words.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // True once the port has failed (unplugged, I/O error) until it is closed.
    virtual bool failed() const = 0;
    virtual std::string lastError() const = 0;
    // The device a COM number stands for on this machine; empty when none does.
    virtual std::string deviceName(int number) const = 0;
    // The device and the system's description of it ("/dev/ttyUSB0, USB serial adapter"); empty
    // when no device stands for the number.
    virtual std::string describePort(int number) const = 0;

    virtual int bytesWaiting() = 0;
    // Every byte waiting, as one block (one char per byte).
    virtual std::string readAll() = 0;
    // Drops everything received so far.
    virtual void clearInput() = 0;
    virtual bool write(std::string_view bytes) = 0;

    // Called when new bytes arrive or the port fails, so waits need not poll.
    void setActivityHandler(std::function<void()> handler) { m_activity = std::move(handler); }

protected:
    void notifyActivity() {
        if (m_activity)
            m_activity();
    }

private:
    std::function<void()> m_activity;
};

}  // namespace calvex
