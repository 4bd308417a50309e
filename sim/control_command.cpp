#include "control_command.h"

#include <cmath>

#include "instrument.h"
#include "sim_error.h"
#include "text_util.h"

namespace calvex::sim {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

std::chrono::milliseconds parse_period(std::string_view text) {
    const std::optional<std::uint64_t> ms = parse_unsigned(text);
    if (!ms || *ms < static_cast<std::uint64_t>(kMinPeriod.count()) ||
        *ms > static_cast<std::uint64_t>(kMaxPeriod.count())) {
        throw SimError("bad period '" + std::string(text) + "' (milliseconds, 10..60000)");
    }
    return std::chrono::milliseconds(*ms);
}

Time parse_seconds(std::string_view text) {
    const std::optional<double> seconds = parse_double(text);
    if (!seconds || *seconds < 0.0 || *seconds > 1.0e6) {
        throw SimError("bad duration '" + std::string(text) + "' (seconds, for example 12 or 2.5)");
    }
    return Time(std::llround(*seconds * 1.0e9));
}

bool parse_on_off(std::string_view text) {
    if (equals_ignore_case(text, "on")) {
        return true;
    }
    if (equals_ignore_case(text, "off")) {
        return false;
    }
    throw SimError("expected on or off, got '" + std::string(text) + "'");
}

ControlCommand parse_control_command(std::string_view line) {
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
        line = line.substr(0, hash);
    }
    const std::vector<std::string_view> words = split_whitespace(line);
    if (words.empty()) {
        return control::Nothing{};
    }
    const std::string name = to_upper(words[0]);
    const auto argument = [&]() -> std::string_view {
        if (words.size() != 2) {
            throw SimError("'" + std::string(words[0]) + "' takes one argument (try 'help')");
        }
        return words[1];
    };
    const auto no_argument = [&]() {
        if (words.size() != 1) {
            throw SimError("'" + std::string(words[0]) + "' takes no argument");
        }
    };

    if (name == "MODEL") {
        return control::SetModel{parse_model(argument())};
    }
    if (name == "UNIT") {
        return control::SetUnit{parse_unit(argument())};
    }
    if (name == "TYPE") {
        return control::SetType{parse_type(argument())};
    }
    if (name == "T1" || name == "T2") {
        return control::SetChannel{name == "T1" ? 1 : 2, parse_channel_source(argument())};
    }
    if (name == "PERIOD") {
        return control::SetPeriod{parse_period(argument())};
    }
    if (name == "SILENCE") {
        return control::Silence{parse_seconds(argument())};
    }
    if (name == "NOISE") {
        return control::SetNoise{parse_on_off(argument())};
    }
    if (name == "PARTIAL") {
        return control::SetPartial{parse_on_off(argument())};
    }
    if (name == "MUTE-MEMORY") {
        return control::SetMemoryMute{parse_on_off(argument())};
    }
    if (name == "MEMORY-CUT") {
        const std::string_view text = argument();
        if (equals_ignore_case(text, "off")) {
            return control::SetMemoryCut{std::nullopt};
        }
        const std::optional<std::uint64_t> cut = parse_unsigned(text);
        if (!cut) {
            throw SimError("bad memory cut '" + std::string(text) + "' (a byte count or off)");
        }
        return control::SetMemoryCut{static_cast<std::size_t>(*cut)};
    }
    if (name == "UNPLUG") {
        no_argument();
        return control::Unplug{};
    }
    if (name == "REPLUG") {
        no_argument();
        return control::Replug{};
    }
    if (name == "STATUS") {
        no_argument();
        return control::Status{};
    }
    if (name == "HELP") {
        no_argument();
        return control::Help{};
    }
    if (name == "QUIT" || name == "EXIT") {
        no_argument();
        return control::Quit{};
    }
    throw SimError("unknown command '" + std::string(words[0]) + "' (try 'help')");
}

bool apply_control_command(const ControlCommand& command, Instrument& instrument, Time now) {
    return std::visit(Overloaded{
                          [&](const control::SetModel& c) {
                              instrument.set_model(c.model);
                              return true;
                          },
                          [&](const control::SetUnit& c) {
                              instrument.set_unit(c.unit);
                              return true;
                          },
                          [&](const control::SetType& c) {
                              instrument.set_type(c.type);
                              return true;
                          },
                          [&](const control::SetChannel& c) {
                              instrument.set_channel(c.channel, c.fixed);
                              return true;
                          },
                          [&](const control::SetPeriod& c) {
                              instrument.set_period(c.period, now);
                              return true;
                          },
                          [&](const control::Silence& c) {
                              instrument.silence(now, c.length);
                              return true;
                          },
                          [&](const control::SetNoise& c) {
                              instrument.set_noise(c.on);
                              return true;
                          },
                          [&](const control::SetPartial& c) {
                              instrument.set_partial(c.on);
                              return true;
                          },
                          [&](const control::SetMemoryMute& c) {
                              instrument.set_memory_mute(c.on);
                              return true;
                          },
                          [&](const control::SetMemoryCut& c) {
                              instrument.set_memory_cut(c.cut);
                              return true;
                          },
                          [](const auto&) { return false; },
                      },
                      command);
}

std::string control_command_help() {
    return "  model dual|single        switch the model (byte 5 becomes 0xFF for single)\n"
           "  unit C|F|K               unit code sent in the status bytes\n"
           "  type K|J|E|T|R|S|N       thermocouple type code\n"
           "  t1 VALUE|OL|-OL|----|auto  fix channel 1 (VALUE like 23.4 or -5), auto = changing\n"
           "  t2 VALUE|OL|-OL|----|auto  the same for channel 2\n"
           "  period MS                frame period, 10..60000 ms (the frame grid restarts now)\n"
           "  silence S                send and answer nothing for S seconds (0 ends a silence)\n"
           "  noise on|off             random bytes between frames\n"
           "  partial on|off           truncate about one frame in four\n"
           "  mute-memory on|off       ignore \"A\" and \"U\"\n"
           "  memory-cut N|off         stop every memory transfer after N bytes of the data\n"
           "  unplug                   remove the pty (and the --link symlink)\n"
           "  replug                   create a fresh pty, print its path, repoint --link\n"
           "  status                   print the current settings on stderr\n"
           "  help                     print this list on stderr\n"
           "  quit                     exit (like SIGINT/SIGTERM)\n"
           "  Lines may carry a '#' comment. Unknown or malformed commands print an error on\n"
           "  stderr and are ignored. End of input does not stop the simulator.\n";
}

}  // namespace calvex::sim
