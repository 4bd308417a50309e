#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "command_responder.h"
#include "frame_encoder.h"
#include "line_transmitter.h"
#include "memory_store.h"
#include "reading_generator.h"

namespace calvex::sim {

struct InstrumentConfig {
    Model model = Model::Dual;
    Unit unit = Unit::Celsius;
    ThermocoupleType type = ThermocoupleType::K;
    std::optional<Reading> t1;  // nullopt: the reading changes over time
    std::optional<Reading> t2;
    std::chrono::milliseconds period{1000};
    std::uint32_t seed = 1;
    bool noise = false;
    bool partial = false;
    bool memory_mute = false;
    std::optional<std::size_t> memory_cut;
};

// The simulated instrument without any I/O: fed with the bytes the program sends and the current
// time, it tells which bytes go out on the line and when. All times are since the simulator started.
//
// - A live frame is due every period (on a fixed grid from the start). It is skipped while the
//   previous frame is still on the line, while silent or unplugged, while memory commands are
//   being handled (from the receipt of "A" or "U" until 1 s after the last memory byte went out),
//   and after a cut transfer until the next command.
// - "A" and "U" cut short any live frame or noise still being sent and drop what is left of an
//   earlier memory answer; CommandResponder decides the answer.
// - With noise on, 1 to 6 random bytes (never 0x02 or 0x03) go out half-way between frames.
// - With partial on, about one frame in four is cut after 1 to 8 of its 9 bytes.
class Instrument {
public:
    static constexpr Time kMemoryHold = std::chrono::seconds(1);

    Instrument(InstrumentConfig config, MemoryStore memory, Time now = Time{0});

    // Bytes read from the line (commands from the program).
    void receive(std::span<const std::uint8_t> bytes, Time now);
    // Advances to `now` and returns the bytes to write to the line now.
    std::vector<std::uint8_t> poll(Time now);
    // The next time poll() may have something to do.
    Time next_wakeup(Time now) const;

    void set_model(Model model) { config_.model = model; }
    void set_unit(Unit unit) { config_.unit = unit; }
    void set_type(ThermocoupleType type) { config_.type = type; }
    // channel 1 or 2; nullopt makes the reading change over time again.
    void set_channel(int channel, std::optional<Reading> fixed);
    void set_period(std::chrono::milliseconds period, Time now);
    void set_noise(bool on) { config_.noise = on; }
    void set_partial(bool on) { config_.partial = on; }
    void set_memory_mute(bool on) { config_.memory_mute = on; }
    void set_memory_cut(std::optional<std::size_t> cut);
    // Nothing is sent or answered from `from` for `length`; a zero length ends a silence.
    void silence(Time from, Time length);
    // Unplugged: nothing is sent or received, the memory transfer returns to idle.
    void set_connected(bool connected);

    const InstrumentConfig& config() const { return config_; }
    bool connected() const { return connected_; }
    bool silent(Time now) const { return now >= silence_from_ && now < silence_until_; }
    bool memory_busy(Time now) const;
    // Nothing queued for the line: not in the middle of a frame or an answer.
    bool line_idle() const { return transmitter_.idle(); }
    const CommandResponder& responder() const { return responder_; }
    std::string describe(Time now) const;

private:
    bool frames_allowed(Time now) const;
    void send_frame(Time now);
    void send_noise(Time now);
    Time next_grid_point(Time point, Time now) const;

    InstrumentConfig config_;
    CommandResponder responder_;
    LineTransmitter transmitter_;
    ReadingGenerator generator_;
    std::mt19937 random_;
    Time next_frame_;
    Time next_noise_;
    Time hold_until_{Time::min()};
    Time silence_from_{Time::max()};
    Time silence_until_{Time::max()};
    bool connected_ = true;
    bool cut_off_ = false;
};

}  // namespace calvex::sim
