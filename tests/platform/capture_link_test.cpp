#include "platform/capture_link.h"
#include "support/read_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/fake_serial_link.h"
#include "support/manual_clock.h"

namespace calvex {
namespace {

const std::string kFrame("\x02\x00\x00\xFB\x60\x00\x64\x00\x03", 9);

using test::readFile;

struct CaptureRig {
    // The manual clock reads 1000 s: the capture counts from its own start.
    CaptureRig() { fake.setPortNumber(2); }
    ~CaptureRig() { std::filesystem::remove(path); }
    // Everything after the header line.
    std::string lines() const {
        const std::string text = readFile(path);
        return text.substr(text.find('\n') + 1);
    }

    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("calvex-capture-" + std::to_string(::getpid()) + ".txt");
    test::FakeSerialLink fake;
    test::ManualClock clock;
    CaptureLink capture{fake, clock, path.string()};
};

TEST(CaptureLine, SecondsDirectionAndHexBytes) {
    struct Case {
        std::int64_t microseconds;
        char direction;
        std::string bytes;
        std::string line;
    };
    const Case cases[] = {
        {12'345'678, '<', kFrame, "12.345678 < 02 00 00 FB 60 00 64 00 03\n"},
        {0, '>', "A", "0.000000 > 41\n"},
        {1'000'000, '>', "U", "1.000000 > 55\n"},
        {7, '<', std::string("\xFF\x00\x0A", 3), "0.000007 < FF 00 0A\n"},
        {86'400'000'001, '<', "\x03", "86400.000001 < 03\n"},
        {-5, '<', "\x02", "0.000000 < 02\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(formatCaptureLine(c.microseconds, c.direction, c.bytes), c.line);
    }
}

TEST(CaptureLink, WritesEachReadAndWriteAsALineAtOnce) {
    CaptureRig rig;
    ASSERT_TRUE(rig.capture.ok()) << rig.capture.error();
    ASSERT_TRUE(rig.capture.open());
    EXPECT_EQ(rig.fake.events.back(), "open 2");
    EXPECT_EQ(readFile(rig.path), std::string(kCaptureHeader) + "# 0.000000 open COM2\n");

    rig.fake.feed(kFrame);
    rig.clock.advanceMs(12'345);
    EXPECT_EQ(rig.capture.bytesWaiting(), 9);
    EXPECT_EQ(rig.capture.readAll(), kFrame);
    // On disk before the link is gone: a crash right now would keep the line.
    EXPECT_EQ(rig.lines(), "# 0.000000 open COM2\n12.345000 < 02 00 00 FB 60 00 64 00 03\n");

    rig.clock.advanceMs(500);
    EXPECT_TRUE(rig.capture.write("A"));
    EXPECT_EQ(rig.fake.written, "A");
    EXPECT_EQ(rig.capture.readAll(), "");  // nothing waiting: no line
    EXPECT_TRUE(rig.capture.write(""));
    rig.fake.feed(std::string("\x02\x8C\x80\x03", 4));
    rig.fake.feed(kFrame);
    rig.clock.advanceMs(200);
    rig.capture.clearInput();  // dropped, but not unseen
    EXPECT_EQ(rig.capture.bytesWaiting(), 0);
    rig.capture.close();
    EXPECT_FALSE(rig.fake.isOpen());
    EXPECT_EQ(rig.lines(),
              "# 0.000000 open COM2\n"
              "12.345000 < 02 00 00 FB 60 00 64 00 03\n"
              "12.845000 > 41\n"
              "13.045000 < 02 8C 80 03 02 00 00 FB 60 00 64 00 03\n"
              "# 13.045000 close\n");
}

TEST(CaptureLink, ClosingKeepsWhatWasNeverReadAndFailuresAreNoted) {
    CaptureRig rig;
    rig.fake.failingPorts.insert(3);
    rig.capture.setPortNumber(3);
    EXPECT_FALSE(rig.capture.open());
    EXPECT_EQ(rig.capture.lastError(), "Permission denied");
    rig.capture.setPortNumber(2);
    ASSERT_TRUE(rig.capture.open());
    rig.fake.feed(std::string("\x02\x00", 2));
    rig.clock.advanceMs(1'000);
    rig.capture.close();
    rig.clock.advanceMs(1'000);
    EXPECT_FALSE(rig.capture.write("U"));  // the port is closed
    EXPECT_EQ(rig.lines(),
              "# 0.000000 open COM3 failed: Permission denied\n"
              "# 0.000000 open COM2\n"
              "1.000000 < 02 00\n"
              "# 1.000000 close\n"
              "2.000000 > 55\n"
              "# 2.000000 write failed\n");
}

TEST(CaptureLink, SplitsALongReadIntoLinesOfAtMost4096Bytes) {
    CaptureRig rig;
    ASSERT_TRUE(rig.capture.open());
    rig.fake.feed(std::string(4096 + 3, '\x55'));
    EXPECT_EQ(rig.capture.readAll().size(), 4099u);
    std::istringstream lines(rig.lines());
    std::string line;
    std::getline(lines, line);  // the open comment
    std::getline(lines, line);
    EXPECT_EQ(line.size(), std::string("0.000000 <").size() + 3 * 4096);
    std::getline(lines, line);
    EXPECT_EQ(line, "0.000000 < 55 55 55");
    EXPECT_FALSE(std::getline(lines, line));
}

TEST(CaptureLink, ActivityOnTheInnerLinkStillWakesTheWaiter) {
    CaptureRig rig;
    int wakes = 0;
    rig.capture.setActivityHandler([&] { ++wakes; });
    ASSERT_TRUE(rig.capture.open());
    rig.fake.feed(kFrame);
    rig.fake.failPort("unplugged");
    EXPECT_EQ(wakes, 2);
    EXPECT_TRUE(rig.capture.failed());
    rig.capture.setActivityHandler(nullptr);
    rig.fake.feed(kFrame);
    EXPECT_EQ(wakes, 2);
}

TEST(CaptureLink, AFileThatCannotBeOpenedIsReportedAndTheLinkStillWorks) {
    test::FakeSerialLink fake;
    test::ManualClock clock;
    CaptureLink capture(fake, clock, "/nonexistent-folder/capture.txt");
    EXPECT_FALSE(capture.ok());
    EXPECT_EQ(capture.error(), "/nonexistent-folder/capture.txt: No such file or directory");
    fake.setPortNumber(1);
    ASSERT_TRUE(capture.open());
    fake.feed(kFrame);
    EXPECT_EQ(capture.readAll(), kFrame);
}

TEST(CaptureLink, AWriteFailureStopsTheCaptureAndIsReportedOnce) {
    // A pipe whose reader goes away: the header gets through, the next line does not.
    const std::filesystem::path fifo =
        std::filesystem::temp_directory_path() / ("calvex-capture-fifo-" + std::to_string(::getpid()));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);

    test::FakeSerialLink fake;
    test::ManualClock clock;
    std::vector<std::string> reports;
    CaptureLink capture(fake, clock, fifo.string());
    capture.setErrorHandler([&](const std::string& error) { reports.push_back(error); });
    EXPECT_TRUE(capture.ok());
    std::string header(kCaptureHeader.size(), '\0');
    EXPECT_EQ(::read(reader, header.data(), header.size()), static_cast<ssize_t>(header.size()));
    EXPECT_EQ(header, kCaptureHeader);
    ::close(reader);

    fake.setPortNumber(1);
    ASSERT_TRUE(capture.open());  // its comment line meets the broken pipe
    fake.feed(kFrame);
    EXPECT_EQ(capture.readAll(), kFrame);  // the port reads on without the capture
    EXPECT_FALSE(capture.ok());
    EXPECT_EQ(reports, std::vector<std::string>{fifo.string() + ": Broken pipe"});
    EXPECT_EQ(capture.error(), fifo.string() + ": Broken pipe");

    ::sigaction(SIGPIPE, &previous, nullptr);
    std::filesystem::remove(fifo);
}

}  // namespace
}  // namespace calvex
