#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "instrument_types.h"

namespace calvex::sim {

// Paces outgoing bytes as a 9600 baud 8N1 line carries them: 960 bytes per second, one byte every
// 1.0417 ms. Bytes are queued with the stream they belong to, so that the unsent rest of one
// stream (for example a memory block) can be dropped without touching the others.
class LineTransmitter {
public:
    enum class Stream { Frame, Noise, Memory };

    static constexpr std::int64_t kBytesPerSecond = 960;
    // Bytes written at once when the caller comes back late (a busy machine): as many as a
    // UART's FIFO holds. Further behind, the schedule restarts from the current time rather than
    // sending a burst faster than the line.
    static constexpr std::size_t kMaxCatchUp = 16;

    // Time at which the n-th byte of a run starting at `start` goes out.
    static Time byte_time(Time start, std::int64_t n) {
        return start + Time(n * 1'000'000'000 / kBytesPerSecond);
    }

    void enqueue(Stream stream, const std::vector<std::uint8_t>& bytes, Time now);
    void drop(Stream stream);
    void drop_all();

    // The bytes whose time has come by `now`, in order.
    std::vector<std::uint8_t> take_due(Time now);

    bool idle() const { return queue_.empty(); }
    bool pending(Stream stream) const { return pending_[index(stream)] > 0; }
    // When take_due next has something to give, if anything is queued.
    std::optional<Time> next_due() const;
    // When the last byte of a stream went out.
    std::optional<Time> last_sent(Stream stream) const { return last_sent_[index(stream)]; }

private:
    struct Byte {
        std::uint8_t value;
        Stream stream;
    };

    static std::size_t index(Stream stream) { return static_cast<std::size_t>(stream); }
    Time next_byte_time() const { return byte_time(run_start_, run_count_); }

    std::deque<Byte> queue_;
    Time run_start_{0};
    std::int64_t run_count_ = 0;  // bytes sent in the current run
    std::array<std::size_t, 3> pending_{};
    std::array<std::optional<Time>, 3> last_sent_{};
};

}  // namespace calvex::sim
