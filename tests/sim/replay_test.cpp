#include "replay.h"

#include <gtest/gtest.h>

#include "capture_file.h"

namespace calvex::sim {
namespace {

using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

const Bytes kA{'A'};
const Bytes kU{'U'};

Replay replay_of(std::string_view capture) {
    return Replay(CaptureFile::parse(capture));
}

TEST(Replay, TellsRepliesFromChunksThatGoByTime) {
    struct Case {
        std::string name;
        std::string capture;
        std::vector<Replay::Timed> timed;
        std::vector<Replay::Command> commands;
    };
    const Case cases[] = {
        {"frames only",
         "0.3 < 02 03\n1.3 < 02 03\n",
         {{milliseconds(300), {2, 3}}, {milliseconds(1300), {2, 3}}},
         {}},
        {"a reply within 0.5 s of its command, then frames after a second's pause",
         "1.0 < 02 03\n2.0 > 41\n2.2 < 02 8C\n2.3 < 80 03\n3.4 < 02 03\n",
         {{milliseconds(1000), {2, 3}}, {milliseconds(3400), {2, 3}}},
         {{kA, {{milliseconds(200), {2, 0x8C}}, {milliseconds(300), {0x80, 3}}}, milliseconds(2000), 1}}},
        {"a long reply goes on while its chunks follow each other closely",
         "1.0 > 55\n1.2 < 01\n1.6 < 02\n2.0 < 03\n2.6 < 04\n",
         {{milliseconds(2600), {4}}},
         {{kU,
           {{milliseconds(200), {1}}, {milliseconds(600), {2}}, {milliseconds(1000), {3}}},
           milliseconds(1000),
           0}}},
        {"a command with no reply, then the next command's",
         "1.0 > 55\n1.2 > 55\n1.4 < AA\n",
         {},
         {{kU, {}, milliseconds(1000), 0}, {kU, {{milliseconds(200), {0xAA}}}, milliseconds(1200), 0}}},
        {"what came half a second late is no reply",
         "1.0 > 41\n1.5 < 02 03\n",
         {{milliseconds(1500), {2, 3}}},
         {{kA, {}, milliseconds(1000), 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Replay replay = replay_of(c.capture);
        EXPECT_EQ(replay.timed(), c.timed);
        EXPECT_EQ(replay.commands(), c.commands);
    }
}

TEST(Replay, SendsTimedChunksAtTheirTimesAndRepliesWhenAsked) {
    Replay replay = replay_of(
        "0.5 < 02 03\n"
        "3.0 > 41\n3.2 < 02 8C 80 03\n"
        "4.0 > 55\n"
        "4.2 > 55\n4.4 < 00 55\n4.5 < AA 00\n"
        "6.0 < 02 04 03\n");
    EXPECT_EQ(replay.next_wakeup(), milliseconds(500));
    EXPECT_EQ(replay.poll(milliseconds(499)), Bytes{});
    EXPECT_EQ(replay.poll(milliseconds(500)), (Bytes{2, 3}));
    EXPECT_EQ(replay.next_wakeup(), milliseconds(6000));

    // The program asks a second later than in the capture: the reply keeps its distance to the
    // question, and so does what follows.
    replay.receive(kA, milliseconds(4000));
    EXPECT_EQ(replay.next_wakeup(), milliseconds(4200));
    EXPECT_EQ(replay.poll(milliseconds(4199)), Bytes{});
    EXPECT_EQ(replay.poll(milliseconds(4200)), (Bytes{2, 0x8C, 0x80, 3}));

    // The second "U" comes 0.8 s later than in the capture: the frame of 6.0 s goes out at 6.8 s.
    replay.receive(Bytes{'U', 'U'}, milliseconds(5000));
    EXPECT_EQ(replay.poll(milliseconds(5250)), (Bytes{0, 0x55}));
    EXPECT_FALSE(replay.finished());
    EXPECT_EQ(replay.next_wakeup(), milliseconds(5300));
    EXPECT_EQ(replay.poll(milliseconds(6799)), (Bytes{0xAA, 0}));
    EXPECT_EQ(replay.poll(milliseconds(6800)), (Bytes{2, 4, 3}));
    EXPECT_TRUE(replay.finished());
    EXPECT_EQ(replay.next_wakeup(), Time::max());
    EXPECT_EQ(replay.describe(), "replay: 2 of 2 timed chunks sent, 3 of 3 commands answered");
}

TEST(Replay, MatchesCommandsInTheOrderOfTheCaptureAndDropsOthers) {
    Replay replay = replay_of(
        "1.0 > 41\n1.1 < 01\n"
        "2.0 > 55\n2.1 < 02\n"
        "3.0 > 41\n3.1 < 03\n");
    // An unknown byte is dropped; the "U" skips the first "A", whose reply never comes.
    replay.receive(Bytes{'x', 'U'}, milliseconds(0));
    EXPECT_EQ(replay.poll(milliseconds(100)), Bytes{2});
    EXPECT_EQ(replay.unmatched_bytes(), 1u);
    replay.receive(kA, milliseconds(200));
    EXPECT_EQ(replay.poll(milliseconds(300)), Bytes{3});
    // Every command of the capture has had its turn: further ones get no answer.
    replay.receive(kA, milliseconds(400));
    EXPECT_EQ(replay.poll(milliseconds(10'000)), Bytes{});
    EXPECT_EQ(replay.unmatched_bytes(), 2u);
    EXPECT_EQ(replay.describe(),
              "replay: 0 of 0 timed chunks sent, 3 of 3 commands answered, 2 bytes unmatched");
}

// The program asks sooner than in the capture: the frames captured before its question that have
// not gone out are skipped, so none of them falls between the question and its reply, and the
// frames after the exchange keep their distance to it. The capture is a download as calvex makes
// it: the frames it read, "A" right after the last of them, the pointer 0.2 s later.
TEST(Replay, AnEarlyCommandSkipsTheFramesCapturedBeforeIt) {
    Replay replay = replay_of(
        "0.25 < 02 01 03\n0.50 < 02 02 03\n0.75 < 02 03 03\n"
        "0.75 > 41\n0.95 < 02 8C 80 03\n"
        "2.00 < 02 04 03\n");
    EXPECT_EQ(replay.poll(milliseconds(250)), (Bytes{2, 1, 3}));
    replay.receive(kA, milliseconds(400));
    EXPECT_EQ(replay.next_wakeup(), milliseconds(600));
    EXPECT_EQ(replay.poll(milliseconds(599)), Bytes{});
    EXPECT_EQ(replay.poll(milliseconds(600)), (Bytes{2, 0x8C, 0x80, 3}));
    EXPECT_EQ(replay.next_wakeup(), milliseconds(1650));
    EXPECT_EQ(replay.poll(milliseconds(1650)), (Bytes{2, 4, 3}));
    EXPECT_TRUE(replay.finished());
    EXPECT_EQ(replay.skipped_chunks(), 2u);
    EXPECT_EQ(replay.describe(),
              "replay: 2 of 4 timed chunks sent, 2 skipped for a command, 1 of 1 commands answered");
}

TEST(Replay, ACommandOfSeveralBytesWaitsForAllOfThem) {
    Replay replay = replay_of("1.0 > 41 42\n1.1 < 07\n");
    replay.receive(kA, milliseconds(0));
    EXPECT_EQ(replay.poll(milliseconds(1000)), Bytes{});
    replay.receive(Bytes{'B'}, milliseconds(1000));
    EXPECT_EQ(replay.poll(milliseconds(1100)), Bytes{7});
    EXPECT_EQ(replay.unmatched_bytes(), 0u);
}

}  // namespace
}  // namespace calvex::sim
