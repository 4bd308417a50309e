#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "unique_fd.h"
#include "unread_input_tracker.h"

namespace calvex::sim {

// The instrument's end of the serial line: a pseudo-terminal whose slave device the program opens.
//
// The slave is put in raw mode at 9600 baud before anything else can see it, so nothing is ever
// echoed, and one slave descriptor stays open here so the device survives the program closing
// and reopening it. The master is non-blocking: bytes the pty cannot take are dropped. Destroying
// the port closes both ends, which removes the device (an unplug).
class PtyPort {
public:
    // Throws std::system_error when no pty can be made.
    PtyPort();

    int master_fd() const { return master_.get(); }
    const std::string& device_path() const { return device_path_; }

    // Writes to the line; returns how many bytes were taken (the rest is dropped).
    std::size_t write(std::span<const std::uint8_t> bytes);
    // Whatever the program has sent so far (empty when nothing is waiting).
    std::vector<std::uint8_t> read_available();
    // Meant to be called about once a second: discards the input nobody has read (see
    // UnreadInputTracker). Returns true when something was discarded.
    bool discard_unread_input();

private:
    UniqueFd master_;
    UniqueFd slave_;
    std::string device_path_;
    UnreadInputTracker tracker_;
};

}  // namespace calvex::sim
