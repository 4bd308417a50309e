#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include <string>
#include <vector>

#include "live/poller.h"
#include "support/fake_serial_link.h"
#include "support/manual_clock.h"

namespace calvex {
namespace {

const std::string kFrame("\x02\x00\x00\xFB\x60\x00\x64\x00\x03", 9);        // dual, 25.1 C, T2 "----"
const std::string kSingleFrame("\x02\x01\x03\xE8\xFF\x00\x00\x01\x03", 9);  // single, 100.0 F, type J

struct RecordingView : PollerView {
    void showComText(const std::string& text) override { com.push_back(text); }
    void showReading() override { ++readings; }
    std::vector<std::string> com;
    int readings = 0;
};

struct PollerRig {
    explicit PollerRig(int comPort = 1, bool autoScan = false) {
        state.ComPort = comPort;
        state.AutoScan = autoScan;
        Poller::openChosenPort(state, port);
    }
    // Lets `ms` milliseconds pass as the panel runs the poller: a tick every 150 ms, and a
    // wake-up when the running wait's time is up.
    void run(int ms) {
        for (int t = 10; t <= ms; t += 10) {
            clock.advanceMs(10);
            if (t % 150 == 0) {
                poller.tick();
            } else if (poller.msUntilDeadline() == 0) {
                poller.wake();
            }
        }
    }
    InstrumentState state;
    test::FakeSerialLink port;
    test::ManualClock clock;
    RecordingView view;
    Poller poller{state, port, clock, view};
};

TEST(Poller, ShowsAFrameThatArrivesDuringTheWait) {
    PollerRig rig;
    rig.poller.tick();
    EXPECT_EQ(rig.poller.phase(), Poller::Phase::Waiting);
    rig.port.feed(kFrame + "\x02\x41");  // bytes past the ninth are ignored
    rig.poller.wake();
    EXPECT_EQ(rig.view.readings, 1);
    EXPECT_EQ(rig.view.com.back(), "COM1");
    EXPECT_EQ(rig.state.T1Value, ReadingValue(25.1));
    EXPECT_EQ(rig.state.T2Value, ReadingValue("----"));
    EXPECT_EQ(rig.poller.phase(), Poller::Phase::Idle);
}

TEST(Poller, FlushesWhatWaitedBeforeTheTick) {
    PollerRig rig;
    rig.port.feed(kFrame.substr(4));  // the tail of a frame, left over before the poll
    rig.poller.tick();
    EXPECT_EQ(rig.port.bytesWaiting(), 0);
    // A block that starts mid-frame fails the marks and a fresh attempt starts.
    rig.port.feed(kFrame.substr(5) + kFrame.substr(0, 5));
    rig.poller.wake();
    EXPECT_EQ(rig.view.readings, 0);
    EXPECT_EQ(rig.poller.phase(), Poller::Phase::Waiting);
    rig.port.feed(kFrame);
    rig.poller.wake();
    EXPECT_EQ(rig.view.readings, 1);
}

// Reads that always split the frames at the same place (seen on a pseudo-terminal: every read
// held the last six bytes of one frame and the first three of the next) still show the reading.
TEST(Poller, FramesSplitAtTheSamePlaceInEveryReadAreStillRead) {
    for (std::size_t split = 1; split < kFrame.size(); ++split) {
        PollerRig rig;
        rig.poller.tick();
        const std::string stream = kFrame + kFrame + kFrame + kFrame;
        rig.port.feed(stream.substr(split, 9));  // the first read begins mid-frame
        rig.poller.wake();
        rig.port.feed(stream.substr(split + 9, 9));
        rig.poller.wake();
        EXPECT_EQ(rig.view.readings, 1) << split;
        EXPECT_EQ(rig.state.T1Value, ReadingValue(25.1)) << split;
    }
}

TEST(Poller, NoiseEveryTwoSecondsNeverShowsNoCom) {
    PollerRig rig;
    rig.poller.tick();
    for (int i = 0; i < 20; ++i) {
        rig.run(1950);
        rig.port.feed("\x10\x20\x30\x40\x50\x60\x70\x11\x12\x13");
        rig.poller.wake();
    }
    for (const std::string& text : rig.view.com)
        EXPECT_NE(text, "No COM");
    EXPECT_EQ(rig.view.readings, 0);
}

TEST(Poller, SilenceShowsNoComAfterFiveWaitsThenWaitsForAnyByte) {
    PollerRig rig(3);
    rig.poller.tick();
    rig.run(9900);  // just under five waits of 2 s
    EXPECT_TRUE(rig.view.com.empty());
    rig.run(300);
    ASSERT_FALSE(rig.view.com.empty());
    EXPECT_EQ(rig.view.com.back(), "No COM");
    EXPECT_EQ(rig.poller.phase(), Poller::Phase::NoData);
    rig.run(60000);  // no limit: still waiting, still on the chosen port
    EXPECT_EQ(rig.poller.phase(), Poller::Phase::NoData);
    EXPECT_EQ(rig.port.portNumber(), 3);
    rig.port.feed("x");
    rig.poller.wake();
    EXPECT_EQ(rig.view.com.back(), "COM3");
    EXPECT_EQ(rig.port.bytesWaiting(), 0);  // the byte that woke it is dropped
    EXPECT_EQ(rig.poller.phase(), Poller::Phase::Idle);
}

// The reading is the instrument's present one only while frames keep coming; each way of losing
// them makes it unknown (and refreshes the panel once), and the next frame makes it known again.
TEST(Poller, TheReadingIsUnknownOnceFramesStop) {
    struct Case {
        const char* what;
        void (*lose)(PollerRig&);
    };
    const Case cases[] = {
        {"silence past two waits", [](PollerRig& rig) { rig.run(4200); }},
        {"noise instead of frames",
         [](PollerRig& rig) {
             for (int i = 0; i < 3; ++i) {
                 rig.run(1500);
                 rig.port.feed("\x10\x20\x30\x40\x50\x60\x70\x11\x12\x13");
                 rig.poller.wake();
             }
         }},
        {"a port failure",
         [](PollerRig& rig) {
             rig.port.failPort("unplugged");
             rig.poller.tick();
         }},
        {"polling stopped", [](PollerRig& rig) { rig.poller.reset(); }},
    };
    for (const Case& c : cases) {
        PollerRig rig;
        EXPECT_FALSE(rig.state.ReadingKnown) << "before the first frame";
        rig.poller.tick();
        rig.port.feed(kFrame);
        rig.poller.wake();
        ASSERT_TRUE(rig.state.ReadingKnown) << c.what;
        rig.run(2000);  // frames every second keep it known
        rig.port.feed(kFrame);
        rig.poller.wake();
        rig.run(1000);
        rig.port.feed(kFrame);
        rig.poller.wake();
        EXPECT_TRUE(rig.state.ReadingKnown) << c.what;
        const int shown = rig.view.readings;

        c.lose(rig);
        EXPECT_FALSE(rig.state.ReadingKnown) << c.what;
        EXPECT_EQ(rig.view.readings, shown + 1) << c.what;  // the panel is told once
        rig.run(1000);
        EXPECT_EQ(rig.view.readings, shown + 1) << c.what;
    }
}

TEST(Poller, BytesInTheFifthWaitStillCountAsSilent) {
    PollerRig rig;
    rig.poller.tick();
    rig.run(8100);  // four empty waits
    rig.port.feed(kFrame);
    rig.run(2100);
    ASSERT_GE(rig.view.com.size(), 2u);
    EXPECT_EQ(rig.view.com[0], "No COM");
    EXPECT_EQ(rig.view.com[1], "COM1");  // the waiting bytes end the wait for data at once
    EXPECT_EQ(rig.view.readings, 1);     // and the frame they hold is read on the next tick
}

// A frame with good marks that the instrument cannot have sent is dropped and counted; a
// sendable frame later in the same block is still read.
TEST(Poller, FramesTheInstrumentCannotSendAreDroppedAndCounted) {
    const std::string corrupt("\x02\x00\xFB\xC4\xFF\x00\x00\x00\x03", 9);  // 6445.2 C
    PollerRig rig;
    rig.poller.tick();
    rig.port.feed(corrupt);
    rig.poller.wake();
    EXPECT_EQ(rig.view.readings, 0);
    EXPECT_FALSE(rig.state.ReadingKnown);
    EXPECT_EQ(rig.poller.implausibleFrames(), 1);
    rig.port.feed(corrupt + kFrame);
    rig.poller.wake();
    EXPECT_EQ(rig.view.readings, 1);
    EXPECT_EQ(rig.state.T1Value, ReadingValue(25.1));
    EXPECT_EQ(rig.poller.implausibleFrames(), 2);
}

// Records, at each refresh of the reading, whether it is known.
struct KnownView : PollerView {
    explicit KnownView(const InstrumentState& s) : state(s) {}
    void showComText(const std::string& text) override { com.push_back(text); }
    void showReading() override { known.push_back(state.ReadingKnown); }
    int unknownCount() const { return static_cast<int>(std::count(known.begin(), known.end(), false)); }
    const InstrumentState& state;
    std::vector<std::string> com;
    std::vector<bool> known;
};

struct PaceRig {
    PaceRig() {
        state.ComPort = 1;
        Poller::openChosenPort(state, port);
    }
    void run(std::int64_t ms) {
        for (std::int64_t t = 10; t <= ms; t += 10) {
            clock.advanceMs(10);
            if (t % 150 == 0) {
                poller.tick();
            } else if (poller.msUntilDeadline() == 0) {
                poller.wake();
            }
        }
    }
    void frame() {
        port.feed(kFrame);
        poller.wake();
    }
    InstrumentState state;
    test::FakeSerialLink port;
    test::ManualClock clock;
    KnownView view{state};
    Poller poller{state, port, clock, view};
};

// An instrument that sends every 1, 5 or 30 s keeps its reading known once its pace is seen
// (only the first interval of a slow one, before any interval is known, passes the 4 s rule);
// a real silence makes it unknown after twice the interval, and the next frame brings it back.
TEST(Poller, TheReadingFollowsTheInstrumentsOwnPace) {
    struct Case {
        std::int64_t periodMs;
        int unknownsWhileHealthy;
        std::int64_t unknownAfterMs;
    };
    const Case cases[] = {{1000, 0, 4000}, {5000, 1, 10000}, {30000, 1, 60000}};
    for (const Case& c : cases) {
        PaceRig rig;
        rig.poller.tick();
        rig.frame();
        const int frames = 12;
        for (int i = 1; i < frames; ++i) {
            rig.run(c.periodMs);
            rig.frame();
        }
        rig.run(150);  // a frame that ended the wait for data is read on the next tick
        EXPECT_TRUE(rig.state.ReadingKnown) << c.periodMs;
        EXPECT_EQ(rig.view.unknownCount(), c.unknownsWhileHealthy) << c.periodMs;
        EXPECT_EQ(static_cast<int>(rig.view.known.size()), frames + c.unknownsWhileHealthy) << c.periodMs;
        EXPECT_EQ(rig.poller.staleAfterMs(), c.unknownAfterMs) << c.periodMs;

        // The instrument falls silent.
        rig.run(c.unknownAfterMs - 400);
        EXPECT_TRUE(rig.state.ReadingKnown) << c.periodMs;
        rig.run(600);
        EXPECT_FALSE(rig.state.ReadingKnown) << c.periodMs;
        EXPECT_EQ(rig.view.unknownCount(), c.unknownsWhileHealthy + 1) << c.periodMs;
        rig.run(c.periodMs);
        rig.frame();
        rig.run(150);
        EXPECT_TRUE(rig.state.ReadingKnown) << c.periodMs;
        EXPECT_TRUE(rig.view.known.back()) << c.periodMs;
    }
}

// A port that failed may come back with another instrument: its pace is learnt again, and a
// silence longer than a minute is not taken for the instrument's pace.
TEST(Poller, ThePaceIsLearntAgainAfterAReopenAndIgnoresLongSilences) {
    PaceRig rig;
    rig.poller.tick();
    rig.frame();
    for (int i = 0; i < 3; ++i) {
        rig.run(5000);
        rig.frame();
    }
    EXPECT_EQ(rig.poller.staleAfterMs(), 10000);
    rig.port.failPort("unplugged");
    rig.run(300);
    EXPECT_FALSE(rig.state.ReadingKnown);
    EXPECT_EQ(rig.poller.staleAfterMs(), Poller::kStaleMs);

    rig.run(300);
    rig.frame();
    rig.run(150);
    ASSERT_TRUE(rig.state.ReadingKnown);
    rig.run(90000);
    rig.frame();
    rig.run(150);
    EXPECT_TRUE(rig.state.ReadingKnown);
    EXPECT_EQ(rig.poller.staleAfterMs(), Poller::kStaleMs);
}

TEST(Poller, AutoScanMovesThroughEightPortsAndWrapsToOne) {
    PollerRig rig(1, true);
    rig.poller.tick();
    std::vector<int> visited{rig.port.portNumber()};
    for (int i = 0; i < 8; ++i) {
        rig.run(10050);
        visited.push_back(rig.port.portNumber());
    }
    EXPECT_EQ(visited, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 1}));
    EXPECT_EQ(rig.state.ComPort, 1);
    rig.port.feed(kFrame);
    rig.poller.wake();
    EXPECT_EQ(rig.view.com.back(), "COM1");
}

TEST(Poller, PortFailuresWithAndWithoutAutoScan) {
    struct Case {
        bool autoScan;
        int chosen;
        int portAfterRecovery;
    };
    for (const Case c : {Case{true, 4, 1}, Case{false, 4, 4}}) {
        PollerRig rig(c.chosen, c.autoScan);
        rig.poller.tick();
        rig.port.failPort("Input/output error");
        rig.poller.wake();
        EXPECT_EQ(rig.view.com.back(), "No COM");
        EXPECT_EQ(rig.state.ComPort, c.portAfterRecovery) << c.autoScan;
        // The device comes back: polling goes on on the right port, "No COM" until a frame.
        rig.run(300);
        EXPECT_TRUE(rig.port.isOpen());
        EXPECT_EQ(rig.port.portNumber(), c.portAfterRecovery);
        EXPECT_EQ(rig.view.com.back(), "No COM");
        rig.port.feed(kFrame);
        rig.poller.wake();
        EXPECT_EQ(rig.view.com.back(), "COM" + std::to_string(c.portAfterRecovery));
    }
}

TEST(Poller, ChosenPortIsRetriedUntilItOpensAgain) {
    PollerRig rig(2);
    rig.poller.tick();
    rig.port.failingPorts = {2};
    rig.port.failPort("No such device");
    rig.poller.wake();
    rig.run(3000);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.state.ComPort, 2);
    EXPECT_EQ(rig.poller.phase(), Poller::Phase::Reopen);
    rig.port.failingPorts.clear();
    rig.run(150);
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.portNumber(), 2);
}

TEST(Poller, AutoScanFallsBackToComOneWhenAPortFailsToOpen) {
    PollerRig rig(4, true);
    rig.port.failingPorts = {5};
    rig.poller.tick();
    rig.run(10050);
    EXPECT_EQ(rig.state.ComPort, 1);
    EXPECT_EQ(rig.view.com.back(), "No COM");
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.portNumber(), 1);
}

TEST(Poller, ModelChangeIsDecodedOnTheNextFrame) {
    PollerRig rig;
    rig.poller.tick();
    rig.port.feed(kFrame);
    rig.poller.wake();
    EXPECT_TRUE(rig.state.DualModel);
    rig.run(150);
    rig.port.feed(kSingleFrame);
    rig.poller.wake();
    EXPECT_FALSE(rig.state.DualModel);
    EXPECT_EQ(rig.state.TcType, ReadingValue("J"));
    EXPECT_EQ(rig.view.readings, 2);
}

}  // namespace
}  // namespace calvex
