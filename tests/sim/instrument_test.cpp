#include "instrument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "control_command.h"

namespace calvex::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;
using std::chrono::seconds;

struct Sent {
    Time at;
    std::uint8_t byte;
};

// Drives the instrument over simulated time, polling at every time it asks to be woken, as the
// I/O loop does, and returns what went out on the line.
std::vector<Sent> run(Instrument& instrument, Time from, Time until) {
    std::vector<Sent> sent;
    Time now = from;
    while (now < until) {
        for (const std::uint8_t byte : instrument.poll(now)) {
            sent.push_back({now, byte});
        }
        now = std::max(instrument.next_wakeup(now), now + Time(1));
    }
    return sent;
}

Bytes bytes_of(const std::vector<Sent>& sent) {
    Bytes bytes;
    for (const Sent& s : sent) {
        bytes.push_back(s.byte);
    }
    return bytes;
}

Bytes repeat(const Bytes& part, int times) {
    Bytes all;
    for (int i = 0; i < times; ++i) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

void receive(Instrument& instrument, char command, Time at) {
    const std::uint8_t byte = static_cast<std::uint8_t>(command);
    instrument.receive(std::span(&byte, 1), at);
}

InstrumentConfig fixed_config() {
    InstrumentConfig config;
    config.t1 = Reading::value(251);
    config.t2 = Reading::value(300);
    return config;
}

// The frame of fixed_config() and the answer to "A" with empty memory.
Bytes fixed_frame() {
    return {0x02, 0x00, 0x00, 0xFB, 0x00, 0x01, 0x2C, 0x00, 0x03};
}
Bytes empty_pointer() {
    return {0x02, 0x8C, 0x80, 0x03};
}

TEST(Instrument, SendsAFrameEveryPeriodPacedAtLineRate) {
    Instrument instrument(fixed_config(), MemoryStore{});
    const std::vector<Sent> sent = run(instrument, Time{0}, milliseconds(3500));
    EXPECT_EQ(bytes_of(sent), repeat(fixed_frame(), 4));
    ASSERT_EQ(sent.size(), 36u);
    for (std::size_t frame = 0; frame < 4; ++frame) {
        for (std::size_t i = 0; i < 9; ++i) {
            EXPECT_EQ(sent[frame * 9 + i].at,
                      LineTransmitter::byte_time(seconds(frame), static_cast<std::int64_t>(i)));
        }
    }
}

TEST(Instrument, PeriodOption) {
    InstrumentConfig config = fixed_config();
    config.period = milliseconds(250);
    Instrument instrument(config, MemoryStore{});
    EXPECT_EQ(bytes_of(run(instrument, Time{0}, milliseconds(1100))), repeat(fixed_frame(), 5));
}

TEST(Instrument, ControlCommandsChangeTheNextFrames) {
    Instrument instrument(fixed_config(), MemoryStore{});
    run(instrument, Time{0}, milliseconds(500));
    for (const char* line : {"model single", "unit F", "type N", "t1 -OL"}) {
        EXPECT_TRUE(apply_control_command(parse_control_command(line), instrument, milliseconds(500)));
    }
    EXPECT_EQ(bytes_of(run(instrument, milliseconds(500), milliseconds(1500))),
              (Bytes{0x02, 0xC1, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x06, 0x03}));
    apply_control_command(parse_control_command("model dual"), instrument, milliseconds(1500));
    apply_control_command(parse_control_command("t2 ----"), instrument, milliseconds(1500));
    apply_control_command(parse_control_command("t1 12.3"), instrument, milliseconds(1500));
    EXPECT_EQ(bytes_of(run(instrument, milliseconds(1500), milliseconds(2500))),
              (Bytes{0x02, 0x01, 0x00, 0x7B, 0x20, 0x00, 0x00, 0x06, 0x03}));
}

TEST(Instrument, AAnswersThePointerAndPausesFramesUntilOneSecondAfter) {
    Instrument instrument(fixed_config(), MemoryStore{});
    EXPECT_EQ(bytes_of(run(instrument, Time{0}, milliseconds(500))), fixed_frame());
    receive(instrument, 'A', milliseconds(500));
    const std::vector<Sent> sent = run(instrument, milliseconds(500), milliseconds(3500));
    // The pointer goes at once; the frame due at 1 s is skipped (the last memory byte went at
    // about 503 ms), frames are back at 2 s.
    Bytes expected = empty_pointer();
    const Bytes frames = repeat(fixed_frame(), 2);
    expected.insert(expected.end(), frames.begin(), frames.end());
    EXPECT_EQ(bytes_of(sent), expected);
    EXPECT_EQ(sent[0].at, milliseconds(500));
    EXPECT_EQ(sent[4].at, seconds(2));
}

TEST(Instrument, ACutsALiveFrameShort) {
    Instrument instrument(fixed_config(), MemoryStore{});
    EXPECT_EQ(bytes_of(run(instrument, Time{0}, milliseconds(2))), (Bytes{0x02, 0x00}));
    receive(instrument, 'A', milliseconds(2));
    EXPECT_EQ(bytes_of(run(instrument, milliseconds(2), milliseconds(900))), empty_pointer());
}

TEST(Instrument, UDownloadsInPacedBlocksAndFramesResumeAfter) {
    const MemoryStore memory = MemoryStore::build({}, MemoryStore::kPointerBase + 5000);
    Instrument instrument(fixed_config(), memory);
    run(instrument, Time{0}, milliseconds(100));
    receive(instrument, 'U', milliseconds(100));
    EXPECT_TRUE(run(instrument, milliseconds(100), milliseconds(300)).empty());
    receive(instrument, 'U', milliseconds(300));
    const std::vector<Sent> first = run(instrument, milliseconds(300), milliseconds(4700));
    ASSERT_EQ(first.size(), 4096u);
    EXPECT_EQ(bytes_of(first), Bytes(memory.data().begin(), memory.data().begin() + 4096));
    EXPECT_EQ(first.back().at, LineTransmitter::byte_time(milliseconds(300), 4095));

    receive(instrument, 'U', milliseconds(4700));
    const std::vector<Sent> second = run(instrument, milliseconds(4700), milliseconds(5700));
    EXPECT_EQ(bytes_of(second), Bytes(memory.data().begin() + 4096, memory.data().end()));
    // Last memory byte at about 5.64 s: frames at 6 s are still held, at 7 s they are back.
    const std::vector<Sent> after = run(instrument, milliseconds(5700), milliseconds(7500));
    EXPECT_EQ(bytes_of(after), fixed_frame());
    EXPECT_EQ(after.front().at, seconds(7));
}

TEST(Instrument, UDuringABlockAbandonsItsRest) {
    const MemoryStore memory = MemoryStore::build({}, MemoryStore::kPointerBase + 5000);
    Instrument instrument(fixed_config(), memory);
    receive(instrument, 'U', Time{0});
    receive(instrument, 'U', Time{0});
    const std::vector<Sent> partial = run(instrument, Time{0}, milliseconds(500));
    ASSERT_EQ(partial.size(), 480u);  // bytes at 0, 1.04, ..., 498.96 ms
    receive(instrument, 'U', milliseconds(500));
    const std::vector<Sent> rest = run(instrument, milliseconds(500), seconds(3));
    EXPECT_EQ(bytes_of(rest), Bytes(memory.data().begin() + 4096, memory.data().end()));
}

TEST(Instrument, MuteMemoryIgnoresCommands) {
    InstrumentConfig config = fixed_config();
    config.memory_mute = true;
    Instrument instrument(config, MemoryStore{});
    run(instrument, Time{0}, milliseconds(100));
    receive(instrument, 'A', milliseconds(100));
    EXPECT_EQ(bytes_of(run(instrument, milliseconds(100), milliseconds(2100))), repeat(fixed_frame(), 2));
}

TEST(Instrument, CutTransferKeepsFramesOffUntilTheNextCommand) {
    const MemoryStore memory = MemoryStore::build({}, MemoryStore::kPointerBase + 1000);
    InstrumentConfig config = fixed_config();
    config.memory_cut = 100;
    Instrument instrument(config, memory);
    run(instrument, Time{0}, milliseconds(100));
    receive(instrument, 'U', milliseconds(100));
    receive(instrument, 'U', milliseconds(100));
    EXPECT_EQ(bytes_of(run(instrument, milliseconds(100), seconds(10))),
              Bytes(memory.data().begin(), memory.data().begin() + 100));
    receive(instrument, 'A', seconds(10));
    const Bytes pointer{0x02, 0x90, 0x66, 0x03};  // 35966 + 1000
    const Bytes frame = fixed_frame();
    Bytes expected = pointer;
    expected.insert(expected.end(), frame.begin(), frame.end());
    EXPECT_EQ(bytes_of(run(instrument, seconds(10), milliseconds(12500))), expected);
}

TEST(Instrument, SilenceSendsAndAnswersNothing) {
    Instrument instrument(fixed_config(), MemoryStore{});
    instrument.silence(milliseconds(500), seconds(2));
    EXPECT_EQ(bytes_of(run(instrument, Time{0}, milliseconds(1000))), fixed_frame());
    receive(instrument, 'A', milliseconds(1000));
    EXPECT_TRUE(run(instrument, milliseconds(1000), milliseconds(2500)).empty());
    EXPECT_EQ(bytes_of(run(instrument, milliseconds(2500), milliseconds(3500))), fixed_frame());
}

TEST(Instrument, UnpluggedSendsNothingAndForgetsTheTransfer) {
    const MemoryStore memory = MemoryStore::build({}, MemoryStore::kPointerBase + 100);
    Instrument instrument(fixed_config(), memory);
    receive(instrument, 'U', Time{0});
    instrument.set_connected(false);
    EXPECT_TRUE(run(instrument, Time{0}, milliseconds(2500)).empty());
    instrument.set_connected(true);
    EXPECT_EQ(bytes_of(run(instrument, milliseconds(2500), milliseconds(3500))), fixed_frame());
    receive(instrument, 'U', milliseconds(3500));  // arms again: nothing sent
    EXPECT_TRUE(run(instrument, milliseconds(3500), seconds(4)).empty());
}

TEST(Instrument, NoiseNeverLooksLikeFrameDelimiters) {
    InstrumentConfig config = fixed_config();
    config.noise = true;
    Instrument instrument(config, MemoryStore{});
    const Bytes bytes = bytes_of(run(instrument, Time{0}, milliseconds(20500)));
    std::size_t frames = 0;
    std::size_t noise = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        if (bytes.size() - i >= 9 &&
            Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                  bytes.begin() + static_cast<std::ptrdiff_t>(i + 9)) == fixed_frame()) {
            ++frames;
            i += 9;
        } else {
            EXPECT_NE(bytes[i], 0x02);
            EXPECT_NE(bytes[i], 0x03);
            ++noise;
            ++i;
        }
    }
    EXPECT_EQ(frames, 21u);
    EXPECT_GE(noise, 20u);
    EXPECT_LE(noise, 20u * 6u);
}

TEST(Instrument, PartialFramesAreTruncatedFrames) {
    InstrumentConfig config = fixed_config();
    config.partial = true;
    Instrument instrument(config, MemoryStore{});
    const Bytes bytes = bytes_of(run(instrument, Time{0}, milliseconds(39500)));
    std::vector<Bytes> chunks;
    for (const std::uint8_t byte : bytes) {
        if (byte == 0x02) {
            chunks.emplace_back();
        }
        ASSERT_FALSE(chunks.empty());
        chunks.back().push_back(byte);
    }
    ASSERT_EQ(chunks.size(), 40u);
    const Bytes frame = fixed_frame();
    unsigned whole = 0;
    for (const Bytes& chunk : chunks) {
        ASSERT_LE(chunk.size(), 9u);
        EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), frame.begin()));
        whole += chunk.size() == 9 ? 1u : 0u;
    }
    EXPECT_GT(whole, 20u);
    EXPECT_LT(whole, 40u);
}

TEST(Instrument, ChangingReadingsAreAroundRoomTemperatureAndRepeatableWithASeed) {
    InstrumentConfig config;
    config.seed = 7;
    Instrument a(config, MemoryStore{});
    Instrument b(config, MemoryStore{});
    const Bytes bytes = bytes_of(run(a, Time{0}, seconds(180)));
    EXPECT_EQ(bytes, bytes_of(run(b, Time{0}, seconds(180))));
    ASSERT_EQ(bytes.size(), 180u * 9u);
    bool t1_differs_from_t2 = false;
    for (std::size_t i = 0; i < bytes.size(); i += 9) {
        const int t1 = bytes[i + 2] << 8 | bytes[i + 3];
        const int t2 = bytes[i + 5] << 8 | bytes[i + 6];
        EXPECT_EQ(bytes[i + 1], 0x00);
        EXPECT_EQ(bytes[i + 4], 0x00);
        EXPECT_GE(t1, 189);
        EXPECT_LE(t1, 251);
        EXPECT_GE(t2, 224);
        EXPECT_LE(t2, 266);
        t1_differs_from_t2 = t1_differs_from_t2 || t1 != t2;
    }
    EXPECT_TRUE(t1_differs_from_t2);
}

TEST(Instrument, ChangingReadingsFollowTheUnit) {
    InstrumentConfig config;
    config.unit = Unit::Kelvin;
    Instrument instrument(config, MemoryStore{});
    const Bytes frame = bytes_of(run(instrument, Time{0}, milliseconds(500)));
    ASSERT_EQ(frame.size(), 9u);
    EXPECT_EQ(frame[1], 0x02);
    const int t1 = frame[2] << 8 | frame[3];
    EXPECT_GE(t1, 2921);
    EXPECT_LE(t1, 2983);
}

}  // namespace
}  // namespace calvex::sim
