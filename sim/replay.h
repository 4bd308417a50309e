#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "capture_file.h"
#include "instrument_types.h"

namespace calvex::sim {

// Plays a capture back, without any I/O: fed with the bytes the program sends and the current
// time (since the replay started), it tells which bytes go out on the line and when.
//
// The received chunks of the capture are of two kinds:
// - A reply: a chunk that follows a sent chunk (a command) with no other sent chunk in between,
//   and starts less than kReplyGap after the command or after the chunk of the same reply before
//   it. The instrument goes quiet for a second after a memory answer, so the live frames that
//   follow are not taken for one. A reply goes out when the program sends the same command again,
//   each chunk as long after the command as it came in the capture.
// - Anything else (live frames, noise) goes out at its own time, counted from the latest command
//   the program sent: a command sent sooner or later than in the capture moves what follows it
//   in the capture by as much, and the chunks captured before a command that have not gone out
//   when it comes are skipped, as the instrument drops its frames to answer a command. So no
//   frame of the capture falls into a replayed exchange that it was not part of.
//
// Commands are matched in the order of the capture: bytes from the program that are the next
// captured command, or a later one, release that command's reply (the ones skipped stay
// unanswered); bytes that match none are dropped.
class Replay {
public:
    static constexpr Time kReplyGap = std::chrono::milliseconds(500);

    explicit Replay(const std::vector<CaptureChunk>& chunks);

    // Bytes read from the line (commands from the program).
    void receive(std::span<const std::uint8_t> bytes, Time now);
    // The bytes due by `now`, in order.
    std::vector<std::uint8_t> poll(Time now);
    // When poll() next has something to give; Time::max() when nothing is left to send by time.
    Time next_wakeup() const;

    // Every timed chunk has gone out and no reply is under way.
    bool finished() const { return next_timed_ == timed_.size() && replying_.empty(); }
    // Bytes received that matched no captured command.
    std::size_t unmatched_bytes() const { return unmatched_; }
    // Timed chunks skipped because a command came before they had gone out.
    std::size_t skipped_chunks() const { return skipped_; }
    std::string describe() const;

    struct Timed {
        Time at;
        std::vector<std::uint8_t> bytes;
        friend bool operator==(const Timed&, const Timed&) = default;
    };
    struct Command {
        std::vector<std::uint8_t> bytes;
        std::vector<Timed> reply;      // times after the command
        Time at{0};                    // in the capture
        std::size_t timed_before = 0;  // the timed chunks captured before it
        friend bool operator==(const Command&, const Command&) = default;
    };
    const std::vector<Timed>& timed() const { return timed_; }
    const std::vector<Command>& commands() const { return commands_; }

private:
    void match_commands(Time now);

    std::vector<Timed> timed_;
    std::vector<Command> commands_;
    std::size_t next_timed_ = 0;
    std::size_t next_command_ = 0;
    std::deque<Timed> replying_;  // absolute times, in order
    std::vector<std::uint8_t> input_;
    std::size_t unmatched_ = 0;
    std::size_t skipped_ = 0;
    Time shift_{0};  // replay time minus capture time, since the latest command
};

}  // namespace calvex::sim
