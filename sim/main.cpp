#include <unistd.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "memory_file.h"
#include "options.h"
#include "sim_error.h"
#include "simulator.h"

namespace {

calvex::sim::MemoryStore load_memory(const calvex::sim::Options& options) {
    std::vector<calvex::sim::LoggingSet> sets;
    if (options.memory_file) {
        std::ifstream file(*options.memory_file, std::ios::binary);
        if (!file) {
            throw calvex::sim::SimError("cannot read memory file " + *options.memory_file);
        }
        std::ostringstream text;
        text << file.rdbuf();
        try {
            sets = calvex::sim::MemoryFile::parse(text.str());
        } catch (const calvex::sim::SimError& error) {
            throw calvex::sim::SimError(*options.memory_file + ": " + error.what());
        }
    }
    sets.insert(sets.end(), options.sets.begin(), options.sets.end());
    return calvex::sim::MemoryStore::build(sets, options.pointer);
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
        calvex::sim::Simulator simulator(std::move(options), std::move(memory));
        return simulator.run();
    } catch (const calvex::sim::SimError& error) {
        std::cerr << "calvex-sim: " << error.what() << "\n";
        return 2;
    }
}
