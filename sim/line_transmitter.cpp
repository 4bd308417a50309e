#include "line_transmitter.h"

#include <algorithm>

namespace calvex::sim {

void LineTransmitter::enqueue(Stream stream, const std::vector<std::uint8_t>& bytes, Time now) {
    if (bytes.empty()) {
        return;
    }
    if (queue_.empty() && now >= next_byte_time()) {
        // The line has been quiet: a new run starts now.
        run_start_ = now;
        run_count_ = 0;
    }
    for (const std::uint8_t value : bytes) {
        queue_.push_back(Byte{value, stream});
    }
    pending_[index(stream)] += bytes.size();
}

void LineTransmitter::drop(Stream stream) {
    std::erase_if(queue_, [stream](const Byte& byte) { return byte.stream == stream; });
    pending_[index(stream)] = 0;
}

void LineTransmitter::drop_all() {
    queue_.clear();
    pending_.fill(0);
}

std::vector<std::uint8_t> LineTransmitter::take_due(Time now) {
    std::vector<std::uint8_t> due;
    while (!queue_.empty() && next_byte_time() <= now && due.size() < kMaxCatchUp) {
        const Byte byte = queue_.front();
        queue_.pop_front();
        due.push_back(byte.value);
        last_sent_[index(byte.stream)] = now;
        --pending_[index(byte.stream)];
        ++run_count_;
    }
    if (!queue_.empty() && next_byte_time() <= now) {
        // Too far behind: carry on at line rate from here instead of bursting.
        run_start_ = now;
        run_count_ = 1;
    }
    return due;
}

std::optional<Time> LineTransmitter::next_due() const {
    if (queue_.empty()) {
        return std::nullopt;
    }
    return next_byte_time();
}

}  // namespace calvex::sim
