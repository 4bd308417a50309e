#include "pty_port.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace calvex::sim {

namespace {

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void make_raw(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        fail("tcgetattr");
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, B9600) != 0 || ::cfsetospeed(&settings, B9600) != 0) {
        fail("cfsetspeed");
    }
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
        fail("tcsetattr");
    }
}

}  // namespace

PtyPort::PtyPort() {
    master_.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master_.valid()) {
        fail("posix_openpt");
    }
    if (::grantpt(master_.get()) != 0) {
        fail("grantpt");
    }
    if (::unlockpt(master_.get()) != 0) {
        fail("unlockpt");
    }
    std::array<char, 128> name{};
    if (::ptsname_r(master_.get(), name.data(), name.size()) != 0) {
        fail("ptsname");
    }
    device_path_ = name.data();
    slave_.reset(::open(device_path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave_.valid()) {
        fail("open pty device");
    }
    make_raw(slave_.get());
    const int slave_flags = ::fcntl(slave_.get(), F_GETFL);
    if (slave_flags < 0 || ::fcntl(slave_.get(), F_SETFL, slave_flags | O_NONBLOCK) != 0) {
        fail("fcntl");
    }
    const int flags = ::fcntl(master_.get(), F_GETFL);
    if (flags < 0 || ::fcntl(master_.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        fail("fcntl");
    }
}

std::size_t PtyPort::write(std::span<const std::uint8_t> bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(master_.get(), bytes.data() + written, bytes.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // full (EAGAIN) or gone: the rest is lost on the line
        }
    }
    tracker_.wrote(written);
    return written;
}

std::vector<std::uint8_t> PtyPort::read_available() {
    std::vector<std::uint8_t> received;
    std::array<std::uint8_t, 256> buffer{};
    while (true) {
        const ssize_t n = ::read(master_.get(), buffer.data(), buffer.size());
        if (n > 0) {
            received.insert(received.end(), buffer.begin(), buffer.begin() + n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return received;
        }
    }
}

bool PtyPort::discard_unread_input() {
    int unread = 0;
    if (::ioctl(slave_.get(), FIONREAD, &unread) != 0 || unread < 0) {
        return false;
    }
    const std::size_t discard = tracker_.check(static_cast<std::size_t>(unread));
    // Nobody reads the device, so our own descriptor can take the oldest bytes off its input.
    std::array<std::uint8_t, 1024> buffer{};
    std::size_t left = discard;
    while (left > 0) {
        const ssize_t n = ::read(slave_.get(), buffer.data(), std::min(left, buffer.size()));
        if (n <= 0) {
            tracker_.discarded_less(left);
            break;
        }
        left -= static_cast<std::size_t>(n);
    }
    return discard > 0;
}

}  // namespace calvex::sim
