#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "instrument_types.h"

namespace calvex::sim {

class Instrument;

// One line of the simulator's standard input, for changing the instrument while it runs.
namespace control {

struct Nothing {};  // blank line or comment
struct SetModel {
    Model model;
};
struct SetUnit {
    Unit unit;
};
struct SetType {
    ThermocoupleType type;
};
struct SetChannel {
    int channel;                   // 1 or 2
    std::optional<Reading> fixed;  // nullopt: auto
};
struct SetPeriod {
    std::chrono::milliseconds period;
};
struct Silence {
    Time length;
};
struct SetNoise {
    bool on;
};
struct SetPartial {
    bool on;
};
struct SetMemoryMute {
    bool on;
};
struct SetMemoryCut {
    std::optional<std::size_t> cut;
};
struct Unplug {};
struct Replug {};
struct Status {};
struct Help {};
struct Quit {};

}  // namespace control

using ControlCommand =
    std::variant<control::Nothing, control::SetModel, control::SetUnit, control::SetType, control::SetChannel,
                 control::SetPeriod, control::Silence, control::SetNoise, control::SetPartial,
                 control::SetMemoryMute, control::SetMemoryCut, control::Unplug, control::Replug,
                 control::Status, control::Help, control::Quit>;

// Throws SimError with a message for the user when the line is not a known command.
ControlCommand parse_control_command(std::string_view line);

// Applies a command that only changes the instrument; returns false for the others (unplug,
// replug, status, help, quit, nothing), which the caller handles.
bool apply_control_command(const ControlCommand& command, Instrument& instrument, Time now);

// The list of stdin commands, as shown by --help and "help".
std::string control_command_help();

// Limits shared with the command line options.
inline constexpr std::chrono::milliseconds kMinPeriod{10};
inline constexpr std::chrono::milliseconds kMaxPeriod{60000};
std::chrono::milliseconds parse_period(std::string_view text);
Time parse_seconds(std::string_view text);
bool parse_on_off(std::string_view text);

}  // namespace calvex::sim
