// Runs the real calvex-sim binary on its pty: the whole I/O loop, briefly. Waits are poll()
// timeouts that only bound a hang; nothing here depends on how long things take.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "unique_fd.h"

namespace calvex::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kPatienceMs = 10000;

// Reads from fd until `done` holds for what was read, EOF, or no byte comes within the patience.
template <class Done>
Bytes read_until(int fd, Done done) {
    Bytes got;
    while (!done(got)) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, kPatienceMs) != 1) {
            break;
        }
        std::array<std::uint8_t, 256> buffer{};
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n <= 0) {
            break;
        }
        got.insert(got.end(), buffer.begin(), buffer.begin() + n);
    }
    return got;
}

bool contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

class SimulatorProcess : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "calvex-sim-run-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        directory_ = pattern;
        link_ = (directory_ / "port").string();
    }

    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        std::filesystem::remove_all(directory_);
    }

    // With `with_stderr` its standard error is kept for stderr_text() (only for runs that write
    // little there: nothing reads it while the program runs).
    void start(std::vector<std::string> arguments, bool with_stderr = false) {
        std::array<int, 2> in{};
        std::array<int, 2> out{};
        std::array<int, 2> err{};
        ASSERT_EQ(::pipe2(in.data(), O_CLOEXEC), 0);
        ASSERT_EQ(::pipe2(out.data(), O_CLOEXEC), 0);
        ASSERT_EQ(::pipe2(err.data(), O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        if (with_stderr) {
            posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        }
        arguments.insert(arguments.begin(), CALVEX_SIM_BINARY);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        const int error = ::posix_spawn(&pid_, CALVEX_SIM_BINARY, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        stdin_.reset(in[1]);
        stdout_.reset(out[0]);
        stderr_.reset(err[0]);
        ASSERT_EQ(error, 0);
    }

    std::string read_line() {
        const Bytes line = read_until(stdout_.get(), [](const Bytes& got) { return contains(got, {'\n'}); });
        return std::string(line.begin(), std::find(line.begin(), line.end(), '\n'));
    }

    void command(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(::write(stdin_.get(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    int wait_for_exit() {
        read_until(stdout_.get(), [](const Bytes&) { return false; });  // until its stdout closes
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string stderr_text() {
        const Bytes text = read_until(stderr_.get(), [](const Bytes&) { return false; });  // until it closes
        return std::string(text.begin(), text.end());
    }
    std::filesystem::path directory_;
    std::string link_;
    pid_t pid_ = -1;
    UniqueFd stdin_;
    UniqueFd stdout_;
    UniqueFd stderr_;
};

TEST_F(SimulatorProcess, ServesFramesAndMemoryCommandsOnItsPty) {
    start({"--t1", "25.1", "--t2", "----", "--period", "60000", "--link", link_});
    const std::string device = read_line();
    ASSERT_TRUE(device.starts_with("/dev/pts/")) << device;
    EXPECT_EQ(std::filesystem::read_symlink(link_), device);

    UniqueFd port(::open(link_.c_str(), O_RDWR | O_NOCTTY));
    ASSERT_TRUE(port.valid());
    ::tcflush(port.get(), TCIFLUSH);
    ASSERT_EQ(::write(port.get(), "A", 1), 1);
    const Bytes pointer{0x02, 0x8C, 0x80, 0x03};
    EXPECT_TRUE(
        contains(read_until(port.get(), [&](const Bytes& got) { return contains(got, pointer); }), pointer));

    command("period 100");
    const Bytes frame{0x02, 0x00, 0x00, 0xFB, 0x20, 0x00, 0x00, 0x00, 0x03};
    EXPECT_TRUE(
        contains(read_until(port.get(), [&](const Bytes& got) { return contains(got, frame); }), frame));

    command("unit F");
    command("t2 -OL");
    const Bytes changed{0x02, 0x01, 0x00, 0xFB, 0xC0, 0x00, 0x00, 0x00, 0x03};
    EXPECT_TRUE(
        contains(read_until(port.get(), [&](const Bytes& got) { return contains(got, changed); }), changed));

    command("quit");
    EXPECT_EQ(wait_for_exit(), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link_));
}

TEST_F(SimulatorProcess, ReplugPrintsANewDeviceAndRepointsTheLink) {
    start({"--period", "60000", "--link", link_});
    const std::string first = read_line();
    ASSERT_TRUE(first.starts_with("/dev/pts/")) << first;
    UniqueFd port(::open(first.c_str(), O_RDWR | O_NOCTTY));
    ASSERT_TRUE(port.valid());
    command("unplug");
    // The program's end hangs up: reads end instead of waiting for data.
    read_until(port.get(), [](const Bytes&) { return false; });
    command("replug");
    const std::string second = read_line();
    ASSERT_TRUE(second.starts_with("/dev/pts/")) << second;
    EXPECT_EQ(std::filesystem::read_symlink(link_), second);
    ::close(stdin_.get());  // end of input does not stop it
    stdin_.reset();
    UniqueFd again(::open(link_.c_str(), O_RDWR | O_NOCTTY));
    ASSERT_TRUE(again.valid());
    ::kill(pid_, SIGTERM);
    EXPECT_EQ(wait_for_exit(), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link_));
}

TEST_F(SimulatorProcess, BadOptionsStopBeforeAnyPty) {
    const std::string capture = (directory_ / "bad.txt").string();
    std::ofstream(capture) << "0.1 < 02 03\n0.2 < 2\n";
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--set", "10 dual C K: 1"},
                                                      {"--replay", capture},
                                                      {"--replay", (directory_ / "missing.txt").string()}}) {
        start(arguments);
        EXPECT_EQ(read_line(), "");
        EXPECT_EQ(wait_for_exit(), 2);
    }
}

// Only a regular file is read as a capture, and a line longer than the parser takes stops the
// reading at once: /dev/zero is not read for ever and a folder is not an empty capture.
TEST_F(SimulatorProcess, ReplayRefusesWhatIsNotACaptureFile) {
    const std::string folder = (directory_ / "folder").string();
    std::filesystem::create_directory(folder);
    const std::string long_line = (directory_ / "long.txt").string();
    std::ofstream(long_line) << "0.1 < 02 03\n" << std::string(200000, 'x') << "\n";
    const std::string fifo = (directory_ / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::string message;
    };
    const Case cases[] = {
        {"/dev/zero", "calvex-sim: cannot read capture file /dev/zero: not a regular file\n"},
        {folder, "calvex-sim: cannot read capture file " + folder + ": not a regular file\n"},
        {fifo, "calvex-sim: cannot read capture file " + fifo + ": not a regular file\n"},
        {long_line, "calvex-sim: " + long_line + ": line 2: line longer than 16384 characters\n"},
    };
    for (const Case& c : cases) {
        start({"--replay", c.path, "--link", link_}, true);
        EXPECT_EQ(stderr_text(), c.message) << c.path;
        EXPECT_EQ(wait_for_exit(), 2) << c.path;
        EXPECT_FALSE(std::filesystem::exists(link_)) << c.path;
    }
}

TEST_F(SimulatorProcess, ReplaysACaptureOnItsPtyAndAnswersItsCommands) {
    const std::string capture = (directory_ / "capture.txt").string();
    std::ofstream(capture) << "# calvex capture v1\n"
                              "0.100000 < 02 00 00 EA 00 00 F5 01 03\n"
                              "30.000000 > 41\n"
                              "30.200000 < 02 8C 80 03\n";
    start({"--replay", capture, "--link", link_});
    const std::string device = read_line();
    ASSERT_TRUE(device.starts_with("/dev/pts/")) << device;
    UniqueFd port(::open(link_.c_str(), O_RDWR | O_NOCTTY));
    ASSERT_TRUE(port.valid());
    const Bytes frame{0x02, 0x00, 0x00, 0xEA, 0x00, 0x00, 0xF5, 0x01, 0x03};
    EXPECT_TRUE(
        contains(read_until(port.get(), [&](const Bytes& got) { return contains(got, frame); }), frame));
    // Asked long before its time in the capture, the reply still comes 0.2 s after the question.
    ASSERT_EQ(::write(port.get(), "A", 1), 1);
    const Bytes pointer{0x02, 0x8C, 0x80, 0x03};
    EXPECT_EQ(read_until(port.get(), [&](const Bytes& got) { return got.size() >= 4; }), pointer);
    command("quit");
    EXPECT_EQ(wait_for_exit(), 0);
}

}  // namespace
}  // namespace calvex::sim
