#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture_file.h"
#include "memory_file.h"
#include "options.h"
#include "sim_error.h"
#include "simulator.h"
#include "unique_fd.h"

namespace {

// Reads a regular file whole. A device, a FIFO or a folder is refused before anything is read
// (/dev/zero would never end, a folder would read as nothing). With a line limit, a line longer
// than that (its line end not counted) is refused as soon as it is seen, so memory stays bounded
// whatever the file holds.
std::string read_file(const std::string& path, const char* what, std::size_t max_line = 0) {
    calvex::sim::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        throw calvex::sim::SimError(std::string("cannot read ") + what + " " + path + ": " +
                                    std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        throw calvex::sim::SimError(std::string("cannot read ") + what + " " + path + ": not a regular file");
    }
    std::string text;
    std::size_t line_start = 0;
    std::size_t line_number = 1;
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw calvex::sim::SimError(std::string("cannot read ") + what + " " + path + ": " +
                                        std::strerror(errno));
        }
        if (n == 0) {
            return text;
        }
        const std::size_t old_size = text.size();
        text.append(buffer.data(), static_cast<std::size_t>(n));
        if (max_line == 0) {
            continue;
        }
        for (std::size_t i = old_size; i < text.size(); ++i) {
            if (text[i] == '\n') {
                line_start = i + 1;
                ++line_number;
            }
        }
        // One more for the CR of a CR LF line end.
        if (text.size() - line_start > max_line + 1) {
            throw calvex::sim::SimError(path + ": line " + std::to_string(line_number) +
                                        ": line longer than " + std::to_string(max_line) + " characters");
        }
    }
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
    const std::string text =
        read_file(*options.replay, "capture file", calvex::sim::CaptureFile::kMaxLineLength);
    try {
        return calvex::sim::Replay(calvex::sim::CaptureFile::parse(text));
    } catch (const calvex::sim::SimError& error) {
        throw calvex::sim::SimError(*options.replay + ": " + error.what());
    }
}

}  // namespace

#ifndef CALVEX_VERSION
#define CALVEX_VERSION "unknown"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    try {
        calvex::sim::Options options = calvex::sim::Options::parse(arguments);
        if (options.help) {
            std::cout << calvex::sim::help_text();
            return 0;
        }
        if (options.version) {
            std::cout << "calvex-sim " << CALVEX_VERSION << "\n";
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
