#include "simulator.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>
#include <vector>

#include "control_command.h"
#include "sim_error.h"

namespace calvex::sim {

namespace {

constexpr Time kDrainInterval = std::chrono::seconds(1);

UniqueFd make_signal_fd() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    if (::sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        throw std::system_error(errno, std::generic_category(), "sigprocmask");
    }
    UniqueFd fd(::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!fd.valid()) {
        throw std::system_error(errno, std::generic_category(), "signalfd");
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, nullptr);  // a closed stdout must not kill the instrument
    return fd;
}

void write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

// poll() timeout for a wait until `duration` from now, rounded up to whole milliseconds so that
// it never wakes before the time; the line schedule is absolute, so this costs no rate.
int timeout_ms(Time duration) {
    if (duration <= Time{0}) {
        return 0;
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(duration).count();
    return static_cast<int>(std::min<std::int64_t>(ms, std::numeric_limits<int>::max()));
}

}  // namespace

Simulator::Simulator(Options options, MemoryStore memory, std::optional<Replay> replay)
    : options_(std::move(options)),
      instrument_(options_.instrument, std::move(memory)),
      replay_(std::move(replay)),
      start_(std::chrono::steady_clock::now()) {
    if (options_.silence_after) {
        instrument_.silence(*options_.silence_after, options_.silence_for);
    }
    unplug_at_ = options_.unplug_after;
    if (options_.link) {
        link_ = std::make_unique<DeviceLink>(*options_.link);
    }
}

Time Simulator::elapsed() const {
    return std::chrono::steady_clock::now() - start_;
}

int Simulator::run() {
    try {
        signals_ = make_signal_fd();
        plug();
    } catch (const std::system_error& error) {
        report(error.what());
        return 1;
    }

    while (!quit_) {
        const Time now = elapsed();
        handle_scheduled(now);
        const std::vector<std::uint8_t> due = replay_ ? replay_->poll(now) : instrument_.poll(now);
        if (port_ && !due.empty()) {
            port_->write(due);
        }
        if (replay_ && replay_->finished() && !replay_reported_) {
            replay_reported_ = true;
            report("replay finished; " + replay_->describe());
        }
        // Unread input is looked at between frames only, so that what stays is whole frames. A
        // replay writes each chunk at once, so its line is idle between writes.
        const bool line_idle = replay_ || instrument_.line_idle();
        if (now >= next_drain_check_ && line_idle) {
            if (port_) {
                port_->discard_unread_input();
            }
            next_drain_check_ = now + kDrainInterval;
        }

        Time wake = replay_ ? replay_->next_wakeup() : instrument_.next_wakeup(now);
        if (line_idle) {
            wake = std::min(wake, next_drain_check_);
        }
        for (const std::optional<Time>& at : {unplug_at_, replug_at_}) {
            if (at) {
                wake = std::min(wake, *at);
            }
        }

        std::vector<pollfd> fds{{signals_.get(), POLLIN, 0}};
        if (stdin_open_) {
            fds.push_back({STDIN_FILENO, POLLIN, 0});
        }
        if (port_) {
            fds.push_back({port_->master_fd(), POLLIN, 0});
        }
        const int ready = ::poll(fds.data(), fds.size(), timeout_ms(wake - elapsed()));
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            report(std::string("poll: ") + std::strerror(errno));
            return 1;
        }
        if (fds[0].revents != 0) {
            signalfd_siginfo info{};
            if (::read(signals_.get(), &info, sizeof(info)) > 0) {
                quit_ = true;
            }
        }
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            if (fds[i].fd == STDIN_FILENO) {
                handle_stdin();
            } else if (port_ && fds[i].fd == port_->master_fd()) {
                handle_port(fds[i].revents);
            }
        }
    }
    unplug();
    return 0;
}

void Simulator::plug() {
    port_.emplace();
    if (link_) {
        try {
            link_->point_to(port_->device_path());
        } catch (const std::system_error& error) {
            report(std::string("--link: ") + error.what());
        }
    }
    // The path goes out last, so whoever reads it finds the link in place.
    write_out(port_->device_path() + "\n");
    instrument_.set_connected(true);
}

void Simulator::unplug() {
    if (link_) {
        link_->remove();
    }
    port_.reset();
    instrument_.set_connected(false);
}

void Simulator::handle_scheduled(Time now) {
    if (unplug_at_ && now >= *unplug_at_) {
        unplug_at_.reset();
        if (port_) {
            unplug();
        }
        if (options_.replug_after) {
            replug_at_ = now + *options_.replug_after;
        }
    }
    if (replug_at_ && now >= *replug_at_) {
        replug_at_.reset();
        unplug();
        try {
            plug();
        } catch (const std::system_error& error) {
            report(std::string("replug: ") + error.what());
        }
    }
}

void Simulator::handle_stdin() {
    std::array<char, 1024> buffer{};
    const ssize_t n = ::read(STDIN_FILENO, buffer.data(), buffer.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (n <= 0) {
        stdin_open_ = false;  // end of input: carry on without commands
        if (!stdin_buffer_.empty()) {
            handle_line(std::exchange(stdin_buffer_, {}));
        }
        return;
    }
    stdin_buffer_.append(buffer.data(), static_cast<std::size_t>(n));
    std::size_t end = 0;
    while (!quit_ && (end = stdin_buffer_.find('\n')) != std::string::npos) {
        const std::string line = stdin_buffer_.substr(0, end);
        stdin_buffer_.erase(0, end + 1);
        handle_line(line);
    }
}

void Simulator::handle_line(std::string_view line) {
    ControlCommand command;
    try {
        command = parse_control_command(line);
    } catch (const SimError& error) {
        report(error.what());
        return;
    }
    const Time now = elapsed();
    const bool port_command = std::holds_alternative<control::Nothing>(command) ||
                              std::holds_alternative<control::Unplug>(command) ||
                              std::holds_alternative<control::Replug>(command) ||
                              std::holds_alternative<control::Status>(command) ||
                              std::holds_alternative<control::Help>(command) ||
                              std::holds_alternative<control::Quit>(command);
    if (replay_ && !port_command) {
        report("a replay plays the capture as it is; the command changes nothing");
        return;
    }
    if (apply_control_command(command, instrument_, now)) {
        return;
    }
    if (std::holds_alternative<control::Unplug>(command)) {
        if (port_) {
            unplug();
        } else {
            report("already unplugged");
        }
    } else if (std::holds_alternative<control::Replug>(command)) {
        replug_at_ = now;  // handled at the top of the loop, like a scheduled replug
    } else if (std::holds_alternative<control::Status>(command)) {
        report(std::string(port_ ? port_->device_path() : "unplugged") + ": " +
               (replay_ ? replay_->describe() : instrument_.describe(now)));
    } else if (std::holds_alternative<control::Help>(command)) {
        write_all(STDERR_FILENO, control_command_help());
    } else if (std::holds_alternative<control::Quit>(command)) {
        quit_ = true;
    }
}

void Simulator::handle_port(short events) {
    const std::vector<std::uint8_t> received = port_->read_available();
    if (!received.empty() && replay_) {
        replay_->receive(received, elapsed());
    } else if (!received.empty()) {
        instrument_.receive(received, elapsed());
    } else if ((events & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        // The device was hung up under us: start over on a fresh one rather than spin on it.
        report("the pty was hung up; making a new one");
        replug_at_ = elapsed();
    }
}

void Simulator::write_out(std::string_view line) const {
    write_all(STDOUT_FILENO, line);
}

void Simulator::report(std::string_view message) const {
    write_all(STDERR_FILENO, "calvex-sim: " + std::string(message) + "\n");
}

}  // namespace calvex::sim
