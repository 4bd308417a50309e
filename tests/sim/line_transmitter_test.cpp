#include "line_transmitter.h"

#include <gtest/gtest.h>

#include <vector>

namespace calvex::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Stream = LineTransmitter::Stream;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

constexpr nanoseconds kByte{1'041'666};  // 1 s / 960, rounded down

TEST(LineTransmitter, SendsOneByteEvery1041Microseconds) {
    LineTransmitter line;
    line.enqueue(Stream::Frame, {1, 2, 3}, Time{0});
    EXPECT_EQ(line.take_due(Time{0}), (Bytes{1}));
    EXPECT_EQ(line.next_due(), kByte);
    EXPECT_TRUE(line.take_due(kByte - nanoseconds(1)).empty());
    EXPECT_EQ(line.take_due(kByte), (Bytes{2}));
    EXPECT_EQ(line.next_due(), nanoseconds(2'083'333));
    EXPECT_EQ(line.take_due(milliseconds(3)), (Bytes{3}));
    EXPECT_TRUE(line.idle());
    EXPECT_EQ(line.next_due(), std::nullopt);
}

TEST(LineTransmitter, NeverFasterThanTheLineOverASecond) {
    LineTransmitter line;
    line.enqueue(Stream::Memory, Bytes(2000, 0x55), Time{0});
    std::size_t sent = 0;
    Time now{0};
    while (now < std::chrono::seconds(1)) {
        sent += line.take_due(now).size();
        now = *line.next_due();
    }
    EXPECT_EQ(sent, 960u);
    EXPECT_EQ(line.last_sent(Stream::Memory), LineTransmitter::byte_time(Time{0}, 959));
}

TEST(LineTransmitter, LateCallerGetsAFewBytesNotABurst) {
    LineTransmitter line;
    line.enqueue(Stream::Memory, Bytes(40, 0x55), Time{0});
    EXPECT_EQ(line.take_due(milliseconds(100)).size(), LineTransmitter::kMaxCatchUp);
    EXPECT_EQ(line.next_due(), milliseconds(100) + kByte);
}

TEST(LineTransmitter, NewRunStartsWhenTheLineWasQuiet) {
    LineTransmitter line;
    line.enqueue(Stream::Frame, {1}, Time{0});
    line.take_due(Time{0});
    line.enqueue(Stream::Frame, {2}, milliseconds(500));
    EXPECT_EQ(line.next_due(), milliseconds(500));
    EXPECT_EQ(line.take_due(milliseconds(500)), (Bytes{2}));
}

TEST(LineTransmitter, BytesQueuedWhileTheLastByteIsOnTheWireWaitForIt) {
    LineTransmitter line;
    line.enqueue(Stream::Frame, {1}, Time{0});
    line.take_due(Time{0});
    line.enqueue(Stream::Memory, {2}, nanoseconds(500'000));
    EXPECT_EQ(line.next_due(), kByte);
}

TEST(LineTransmitter, DropRemovesOnlyThatStream) {
    LineTransmitter line;
    line.enqueue(Stream::Frame, {1, 2}, Time{0});
    line.enqueue(Stream::Memory, {3, 4}, Time{0});
    line.enqueue(Stream::Noise, {5}, Time{0});
    EXPECT_TRUE(line.pending(Stream::Memory));
    line.drop(Stream::Memory);
    EXPECT_FALSE(line.pending(Stream::Memory));
    EXPECT_TRUE(line.pending(Stream::Frame));
    Bytes all;
    for (Time now{0}; !line.idle(); now = *line.next_due()) {
        const Bytes due = line.take_due(now);
        all.insert(all.end(), due.begin(), due.end());
    }
    EXPECT_EQ(all, (Bytes{1, 2, 5}));
    EXPECT_FALSE(line.pending(Stream::Frame));
    line.enqueue(Stream::Frame, {1}, milliseconds(10));
    line.drop_all();
    EXPECT_TRUE(line.idle());
    EXPECT_FALSE(line.pending(Stream::Frame));
}

}  // namespace
}  // namespace calvex::sim
