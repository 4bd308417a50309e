#include "options.h"

#include "control_command.h"
#include "memory_file.h"
#include "sim_error.h"
#include "text_util.h"

namespace calvex::sim {

namespace {

// Walks the arguments, accepting both "--name value" and "--name=value".
class ArgumentReader {
public:
    explicit ArgumentReader(std::span<const std::string_view> arguments) : arguments_(arguments) {}

    bool next() {
        if (index_ >= arguments_.size()) {
            return false;
        }
        const std::string_view argument = arguments_[index_++];
        const std::size_t equals = argument.find('=');
        if (argument.starts_with("--") && equals != std::string_view::npos) {
            name_ = argument.substr(0, equals);
            inline_value_ = argument.substr(equals + 1);
        } else {
            name_ = argument;
            inline_value_.reset();
        }
        return true;
    }

    std::string_view name() const { return name_; }

    std::string_view value() {
        if (inline_value_) {
            return *inline_value_;
        }
        if (index_ >= arguments_.size()) {
            throw SimError("option " + std::string(name_) + " needs a value");
        }
        return arguments_[index_++];
    }

    void no_value() const {
        if (inline_value_) {
            throw SimError("option " + std::string(name_) + " takes no value");
        }
    }

private:
    std::span<const std::string_view> arguments_;
    std::size_t index_ = 0;
    std::string_view name_;
    std::optional<std::string_view> inline_value_;
};

std::uint16_t parse_pointer(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
    }
    const std::optional<std::uint64_t> value = parse_unsigned(text, 16);
    if (!value || *value < MemoryStore::kPointerBase + 2 || *value > 0xFFFF) {
        throw SimError("bad pointer '" + std::string(text) + "' (hexadecimal, 8C80..FFFF)");
    }
    return static_cast<std::uint16_t>(*value);
}

}  // namespace

Options Options::parse(std::span<const std::string_view> arguments) {
    Options options;
    InstrumentConfig& instrument = options.instrument;
    std::optional<Time> silence_for;
    ArgumentReader reader(arguments);
    std::optional<std::string> simulating;  // an option that shapes the simulated instrument
    while (reader.next()) {
        const std::string_view name = reader.name();
        if (!simulating && name != "--help" && name != "-h" && name != "--version" && name != "-v" &&
            name != "--link" && name != "--replay") {
            simulating = std::string(name);
        }
        try {
            if (name == "--help" || name == "-h") {
                reader.no_value();
                options.help = true;
            } else if (name == "--version" || name == "-v") {
                reader.no_value();
                options.version = true;
            } else if (name == "--model") {
                instrument.model = parse_model(reader.value());
            } else if (name == "--unit") {
                instrument.unit = parse_unit(reader.value());
            } else if (name == "--type") {
                instrument.type = parse_type(reader.value());
            } else if (name == "--period") {
                instrument.period = parse_period(reader.value());
            } else if (name == "--t1") {
                instrument.t1 = parse_channel_source(reader.value());
            } else if (name == "--t2") {
                instrument.t2 = parse_channel_source(reader.value());
            } else if (name == "--seed") {
                const std::string_view text = reader.value();
                const std::optional<std::uint64_t> seed = parse_unsigned(text);
                if (!seed || *seed > 0xFFFFFFFFu) {
                    throw SimError("bad seed '" + std::string(text) + "' (0..4294967295)");
                }
                instrument.seed = static_cast<std::uint32_t>(*seed);
            } else if (name == "--noise") {
                reader.no_value();
                instrument.noise = true;
            } else if (name == "--partial") {
                reader.no_value();
                instrument.partial = true;
            } else if (name == "--silence-after") {
                options.silence_after = parse_seconds(reader.value());
            } else if (name == "--silence-for") {
                silence_for = parse_seconds(reader.value());
            } else if (name == "--unplug-after") {
                options.unplug_after = parse_seconds(reader.value());
            } else if (name == "--replug-after") {
                options.replug_after = parse_seconds(reader.value());
            } else if (name == "--link") {
                options.link = std::string(reader.value());
                if (options.link->empty()) {
                    throw SimError("empty path");
                }
            } else if (name == "--replay") {
                options.replay = std::string(reader.value());
                if (options.replay->empty()) {
                    throw SimError("empty path");
                }
            } else if (name == "--memory") {
                options.memory_file = std::string(reader.value());
            } else if (name == "--set") {
                options.sets.push_back(MemoryFile::parse_set_argument(reader.value()));
            } else if (name == "--pointer") {
                options.pointer = parse_pointer(reader.value());
            } else if (name == "--mute-memory") {
                reader.no_value();
                instrument.memory_mute = true;
            } else if (name == "--memory-cut") {
                const std::string_view text = reader.value();
                const std::optional<std::uint64_t> cut = parse_unsigned(text);
                if (!cut) {
                    throw SimError("bad byte count '" + std::string(text) + "'");
                }
                instrument.memory_cut = static_cast<std::size_t>(*cut);
            } else {
                throw SimError("unknown option (see --help)");
            }
        } catch (const SimError& error) {
            throw SimError(std::string(name) + ": " + error.what());
        }
    }
    // A replay sends what the capture holds and nothing else.
    if (options.replay && simulating) {
        throw SimError("--replay goes with --link only, not with " + *simulating);
    }
    if (options.silence_after.has_value() != silence_for.has_value()) {
        throw SimError("--silence-after and --silence-for go together");
    }
    options.silence_for = silence_for.value_or(Time{0});
    if (options.replug_after && !options.unplug_after) {
        throw SimError("--replug-after needs --unplug-after");
    }
    return options;
}

}  // namespace calvex::sim
