#include <gtest/gtest.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/qt_serial_link.h"

namespace calvex {
namespace {

// A pseudo-terminal stands for the instrument's port; the test keeps its master side open.
struct Pty {
    Pty() {
        char name[256] = {};
        ok = ::openpty(&master, &slave, name, nullptr, nullptr) == 0;
        device = name;
        std::string pattern = (std::filesystem::temp_directory_path() / "calvex-lock-XXXXXX").string();
        folder = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        link = folder + "/port";
        std::filesystem::create_symlink(device, link);
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
        std::filesystem::remove_all(folder);
    }
    bool ok = false;
    int master = -1;
    int slave = -1;
    std::string device;
    std::string folder;
    std::string link;
};

std::string thisProgram() {
    std::ifstream comm("/proc/self/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// The first opener holds the device; a second one, by the same path or through a link to it, is
// refused and told who holds it, until the first closes it.
TEST(SerialLock, ASecondOpenerOfOneDeviceIsRefusedWithTheHolder) {
    Pty pty;
    ASSERT_TRUE(pty.ok);
    const std::string refusal =
        "Device busy: in use by " + thisProgram() + " (process " + std::to_string(::getpid()) + ")";
    for (const std::string& second : {pty.device, pty.link}) {
        QtSerialLink first({{1, pty.device}});
        first.setPortNumber(1);
        ASSERT_TRUE(first.open()) << first.lastError();
        EXPECT_EQ(QtSerialLink::lockHolder(pty.link),
                  thisProgram() + " (process " + std::to_string(::getpid()) + ")");

        QtSerialLink other({{1, second}});
        other.setPortNumber(1);
        EXPECT_FALSE(other.open()) << second;
        EXPECT_EQ(other.lastError(), refusal) << second;
        EXPECT_FALSE(other.isOpen()) << second;

        first.close();
        EXPECT_EQ(QtSerialLink::lockHolder(pty.device), "");
        EXPECT_TRUE(other.open()) << second << ": " << other.lastError();
        other.close();
    }
}

bool exclusive(int fd) {
    int on = 0;
    return ::ioctl(fd, TIOCGEXCL, &on) == 0 && on != 0;
}

// A refused opener leaves the holder's line as it was: its exclusive mode stays on and the lock
// stays with the holder.
TEST(SerialLock, ARefusedOpenerLeavesTheHoldersLineAlone) {
    Pty pty;
    ASSERT_TRUE(pty.ok);
    QtSerialLink first({{1, pty.device}});
    first.setPortNumber(1);
    ASSERT_TRUE(first.open()) << first.lastError();
    ASSERT_TRUE(exclusive(pty.slave));
    for (int attempt = 0; attempt < 2; ++attempt) {
        QtSerialLink other({{1, pty.link}});
        other.setPortNumber(1);
        EXPECT_FALSE(other.open());
        EXPECT_TRUE(exclusive(pty.slave)) << attempt;
    }
    EXPECT_NE(QtSerialLink::lockHolder(pty.device), "");
    first.close();
    EXPECT_FALSE(exclusive(pty.slave));
}

// A link object that goes away, open, frees the device for the next opener.
TEST(SerialLock, TheDeviceIsFreeOnceItsHolderIsGone) {
    Pty pty;
    ASSERT_TRUE(pty.ok);
    {
        QtSerialLink first({{1, pty.device}});
        first.setPortNumber(1);
        ASSERT_TRUE(first.open()) << first.lastError();
    }
    EXPECT_EQ(QtSerialLink::lockHolder(pty.device), "");
    QtSerialLink next({{1, pty.link}});
    next.setPortNumber(1);
    EXPECT_TRUE(next.open()) << next.lastError();
}

}  // namespace
}  // namespace calvex
