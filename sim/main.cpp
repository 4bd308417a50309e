#include <unistd.h>

#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "capture_file.h"
#include "memory_file.h"
#include "options.h"
#include "sim_error.h"
#include "simulator.h"

namespace {

std::string read_file(const std::string& path, const char* what) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw calvex::sim::SimError(std::string("cannot read ") + what + " " + path);
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

calvex::sim::MemoryStore load_memory(const calvex::sim::Options& options) {
    std::vector<calvex::sim::LoggingSet> sets;
    if (options.memory_file) {
        const std::string text = read_file(*options.memory_file, "memory file");
        try {
            sets = calvex::sim::MemoryFile::parse(text);
        } catch (const calvex::sim::SimError& error) {
            throw calvex::sim::SimError(*options.memory_file + ": " + error.what());
        }
    }
    sets.insert(sets.end(), options.sets.begin(), options.sets.end());
    return calvex::sim::MemoryStore::build(sets, options.pointer);
}

std::optional<calvex::sim::Replay> load_replay(const calvex::sim::Options& options) {
    if (!options.replay) {
        return std::nullopt;
    }
    try {
        return calvex::sim::Replay(
            calvex::sim::CaptureFile::parse(read_file(*options.replay, "capture file")));
    } catch (const calvex::sim::SimError& error) {
        throw calvex::sim::SimError(*options.replay + ": " + error.what());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    try {
        calvex::sim::Options options = calvex::sim::Options::parse(arguments);
        if (options.help) {
            std::cout << calvex::sim::help_text();
            return 0;
        }
        calvex::sim::MemoryStore memory = load_memory(options);
        std::optional<calvex::sim::Replay> replay = load_replay(options);
        calvex::sim::Simulator simulator(std::move(options), std::move(memory), std::move(replay));
        return simulator.run();
    } catch (const calvex::sim::SimError& error) {
        std::cerr << "calvex-sim: " << error.what() << "\n";
        return 2;
    }
}
