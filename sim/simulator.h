#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "device_link.h"
#include "instrument.h"
#include "options.h"
#include "pty_port.h"
#include "replay.h"
#include "unique_fd.h"

namespace calvex::sim {

// The I/O around the Instrument: the pty, the optional --link symlink, commands on stdin and the
// exit signals, all waited for with poll() until the instrument's next byte or event is due.
class Simulator {
public:
    // With a replay the instrument stays quiet and the replay speaks for it.
    Simulator(Options options, MemoryStore memory, std::optional<Replay> replay = std::nullopt);

    // Runs until quit, SIGINT, SIGTERM or SIGHUP. Returns the process exit code.
    int run();

private:
    Time elapsed() const;
    void plug();
    void unplug();
    void handle_scheduled(Time now);
    void handle_stdin();
    void handle_line(std::string_view line);
    void handle_port(short events);
    void write_out(std::string_view line) const;
    void report(std::string_view message) const;

    Options options_;
    Instrument instrument_;
    std::optional<Replay> replay_;
    bool replay_reported_ = false;
    std::chrono::steady_clock::time_point start_;
    std::optional<PtyPort> port_;
    std::unique_ptr<DeviceLink> link_;
    UniqueFd signals_;
    std::string stdin_buffer_;
    bool stdin_open_ = true;
    bool quit_ = false;
    std::optional<Time> unplug_at_;
    std::optional<Time> replug_at_;
    Time next_drain_check_{0};
};

}  // namespace calvex::sim
