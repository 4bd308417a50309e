#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "instrument.h"
#include "memory_store.h"

namespace calvex::sim {

// The command line of calvex-sim (see help_text()).
struct Options {
    InstrumentConfig instrument;
    std::optional<Time> silence_after;
    Time silence_for{0};
    std::optional<Time> unplug_after;
    std::optional<Time> replug_after;  // counted from the unplug
    std::optional<std::string> link;
    std::optional<std::string> memory_file;
    std::vector<LoggingSet> sets;  // from --set, in order; they follow the sets of --memory
    std::optional<std::uint16_t> pointer;
    std::optional<std::string> replay;  // a capture to play back instead of simulating
    bool help = false;
    bool version = false;

    // Throws SimError for unknown options, missing or malformed values.
    static Options parse(std::span<const std::string_view> arguments);
};

std::string help_text();

}  // namespace calvex::sim
