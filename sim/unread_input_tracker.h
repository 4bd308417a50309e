#pragma once

#include <cstddef>

namespace calvex::sim {

// Decides which input waiting at the pty device is stale. Checked about once a second with the
// number of bytes waiting unread and the number written since the previous check: when nothing
// at all was read in between, nobody is listening, and the bytes that were already waiting at the
// previous check (the oldest ones) are to be discarded. Newer bytes stay for a reader that opens
// the port now, as a serial driver would have kept them since its open. So bytes nobody reads
// are gone after one to two seconds.
class UnreadInputTracker {
public:
    // Input this large means the device's input buffer is full and further bytes are not even
    // counted: all of it is discarded, as on an overrun.
    static constexpr std::size_t kFull = 4000;

    // Returns how many of the oldest waiting bytes to discard now.
    std::size_t check(std::size_t unread_now) {
        const bool nobody_read =
            unread_at_check_ > 0 && unread_now >= unread_at_check_ + written_since_check_;
        const std::size_t discard = unread_now >= kFull ? unread_now : nobody_read ? unread_at_check_ : 0;
        unread_at_check_ = unread_now - discard;
        written_since_check_ = 0;
        return discard;
    }

    // After discarding fewer bytes than asked (they were gone already).
    void discarded_less(std::size_t missing) {
        unread_at_check_ = missing > unread_at_check_ ? 0 : unread_at_check_ - missing;
    }

    void wrote(std::size_t count) { written_since_check_ += count; }

private:
    std::size_t unread_at_check_ = 0;
    std::size_t written_since_check_ = 0;
};

}  // namespace calvex::sim
