#include "pty_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "device_link.h"
#include "unique_fd.h"

namespace calvex::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Waits for readable data (bytes already written, so this returns at once in practice).
bool readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, 5000) == 1 && (entry.revents & POLLIN) != 0;
}

Bytes read_some(int fd) {
    std::array<std::uint8_t, 64> buffer{};
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    return n > 0 ? Bytes(buffer.begin(), buffer.begin() + n) : Bytes{};
}

TEST(PtyPort, DeviceIsRawAt9600AndCarriesBytesBothWays) {
    PtyPort port;
    ASSERT_TRUE(port.device_path().starts_with("/dev/pts/"));
    UniqueFd device(::open(port.device_path().c_str(), O_RDWR | O_NOCTTY));
    ASSERT_TRUE(device.valid());

    termios settings{};
    ASSERT_EQ(::tcgetattr(device.get(), &settings), 0);
    EXPECT_EQ(settings.c_lflag & (ECHO | ICANON | ISIG), 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);
    EXPECT_EQ(::cfgetispeed(&settings), B9600);

    const Bytes frame{0x02, 0x00, 0x00, 0xFB, 0x20, 0x00, 0x00, 0x00, 0x03};
    EXPECT_EQ(port.write(frame), frame.size());
    ASSERT_TRUE(readable(device.get()));
    Bytes got;
    while (got.size() < frame.size() && readable(device.get())) {
        const Bytes part = read_some(device.get());
        got.insert(got.end(), part.begin(), part.end());
    }
    EXPECT_EQ(got, frame);

    const Bytes command{'A', '\r', 'U'};
    ASSERT_EQ(::write(device.get(), command.data(), command.size()), 3);
    ASSERT_TRUE(readable(port.master_fd()));
    Bytes commands;
    while (commands.size() < command.size() && readable(port.master_fd())) {
        const Bytes part = port.read_available();
        commands.insert(commands.end(), part.begin(), part.end());
    }
    EXPECT_EQ(commands, command);  // no translation of '\r'
    // Nothing was echoed back to the program.
    pollfd entry{device.get(), POLLIN, 0};
    EXPECT_EQ(::poll(&entry, 1, 0), 0);
}

TEST(PtyPort, SurvivesTheProgramClosingAndReopening) {
    PtyPort port;
    {
        UniqueFd first(::open(port.device_path().c_str(), O_RDWR | O_NOCTTY));
        ASSERT_TRUE(first.valid());
    }
    UniqueFd second(::open(port.device_path().c_str(), O_RDWR | O_NOCTTY));
    ASSERT_TRUE(second.valid());
    const Bytes bytes{0x02, 0x03};
    EXPECT_EQ(port.write(bytes), 2u);
    ASSERT_TRUE(readable(second.get()));
    pollfd entry{port.master_fd(), POLLIN, 0};
    EXPECT_EQ(::poll(&entry, 1, 0), 0);  // no hang-up reported to the instrument side
}

TEST(PtyPort, WritesNeverBlockWhenNobodyReads) {
    PtyPort port;
    const Bytes block(1 << 20, 0x55);
    const std::size_t taken = port.write(block);  // returns although nobody reads
    EXPECT_GT(taken, 0u);
    EXPECT_LT(taken, block.size());
    // The kernel may move bytes on between the two writes, so the second may take a few more; it
    // must still return without taking the whole block.
    EXPECT_LT(port.write(block), block.size());
}

TEST(PtyPort, InputNobodyReadsIsDiscarded) {
    PtyPort port;
    UniqueFd device(::open(port.device_path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK));
    ASSERT_TRUE(device.valid());
    EXPECT_FALSE(port.discard_unread_input());
    port.write(Bytes(100, 0x55));
    ASSERT_TRUE(readable(device.get()));
    EXPECT_FALSE(port.discard_unread_input());  // just arrived
    EXPECT_TRUE(port.discard_unread_input());   // not read since: gone
    const Bytes frame{0x02, 0x00, 0x00, 0xFB, 0x20, 0x00, 0x00, 0x00, 0x03};
    port.write(frame);
    ASSERT_TRUE(readable(device.get()));
    EXPECT_EQ(read_some(device.get()), frame);
}

TEST(PtyPort, DestroyingItRemovesTheDevice) {
    std::string path;
    {
        PtyPort port;
        path = port.device_path();
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    UniqueFd device(::open(path.c_str(), O_RDWR | O_NOCTTY));
    EXPECT_FALSE(device.valid());
}

class DeviceLinkTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "calvex-sim-link-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(directory_); }

    std::filesystem::path directory_;
};

TEST_F(DeviceLinkTest, PointsReplacesAndRemoves) {
    const std::string path = (directory_ / "port").string();
    {
        DeviceLink link(path);
        link.point_to("/dev/pts/98");
        EXPECT_EQ(std::filesystem::read_symlink(path), "/dev/pts/98");
        link.point_to("/dev/pts/99");
        EXPECT_EQ(std::filesystem::read_symlink(path), "/dev/pts/99");
        link.remove();
        EXPECT_FALSE(std::filesystem::is_symlink(path));
        link.point_to("/dev/pts/97");
    }
    EXPECT_FALSE(std::filesystem::is_symlink(path));  // removed when it goes away
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory_), {}), 0);
}

TEST_F(DeviceLinkTest, ReplacesAnOldSymlinkButNotAFile) {
    const std::string path = (directory_ / "port").string();
    std::filesystem::create_symlink("/nowhere", path);
    DeviceLink link(path);
    link.point_to("/dev/pts/5");
    EXPECT_EQ(std::filesystem::read_symlink(path), "/dev/pts/5");

    const std::string file = (directory_ / "file").string();
    { UniqueFd fd(::open(file.c_str(), O_CREAT | O_WRONLY, 0600)); }
    DeviceLink other(file);
    EXPECT_THROW(other.point_to("/dev/pts/5"), std::system_error);
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
}

TEST_F(DeviceLinkTest, LeavesALinkSomeoneElseRepointed) {
    const std::string path = (directory_ / "port").string();
    {
        DeviceLink link(path);
        link.point_to("/dev/pts/5");
        std::filesystem::remove(path);
        std::filesystem::create_symlink("/dev/pts/6", path);
    }
    EXPECT_EQ(std::filesystem::read_symlink(path), "/dev/pts/6");
}

}  // namespace
}  // namespace calvex::sim
