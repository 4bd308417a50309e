#include "replay.h"

#include <algorithm>

namespace calvex::sim {

Replay::Replay(const std::vector<CaptureChunk>& chunks) {
    bool in_reply = false;
    Time command_at{0};
    Time last{0};  // the command, or the latest chunk of its reply
    for (const CaptureChunk& chunk : chunks) {
        if (chunk.direction == CaptureChunk::Direction::Sent) {
            // The program writes a command in one go; writes in a row are commands of their own,
            // each with its own (possibly empty) reply.
            commands_.push_back({chunk.bytes, {}, chunk.at, timed_.size()});
            in_reply = true;
            command_at = last = chunk.at;
            continue;
        }
        if (in_reply && chunk.at - last < kReplyGap) {
            commands_.back().reply.push_back({chunk.at - command_at, chunk.bytes});
            last = chunk.at;
            continue;
        }
        in_reply = false;
        timed_.push_back({chunk.at, chunk.bytes});
    }
}

void Replay::receive(std::span<const std::uint8_t> bytes, Time now) {
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    match_commands(now);
}

void Replay::match_commands(Time now) {
    while (!input_.empty()) {
        auto starts_input = [this](const Command& command) {
            return !command.bytes.empty() && command.bytes.size() <= input_.size() &&
                   std::equal(command.bytes.begin(), command.bytes.end(), input_.begin());
        };
        const auto found = std::find_if(commands_.begin() + static_cast<std::ptrdiff_t>(next_command_),
                                        commands_.end(), starts_input);
        if (found != commands_.end()) {
            input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(found->bytes.size()));
            for (const Timed& chunk : found->reply) {
                replying_.push_back({now + chunk.at, chunk.bytes});
            }
            std::stable_sort(replying_.begin(), replying_.end(),
                             [](const Timed& a, const Timed& b) { return a.at < b.at; });
            next_command_ = static_cast<std::size_t>(found - commands_.begin()) + 1;
            if (next_timed_ < found->timed_before) {
                skipped_ += found->timed_before - next_timed_;
                next_timed_ = found->timed_before;
            }
            shift_ = now - found->at;
            continue;
        }
        // The start of a longer command waits for the rest of it.
        if (next_command_ < commands_.size()) {
            const std::vector<std::uint8_t>& next = commands_[next_command_].bytes;
            if (input_.size() < next.size() && std::equal(input_.begin(), input_.end(), next.begin())) {
                return;
            }
        }
        input_.erase(input_.begin());
        ++unmatched_;
    }
}

std::vector<std::uint8_t> Replay::poll(Time now) {
    std::vector<std::uint8_t> due;
    while (true) {
        const bool timed_due = next_timed_ < timed_.size() && timed_[next_timed_].at + shift_ <= now;
        const bool reply_due = !replying_.empty() && replying_.front().at <= now;
        if (!timed_due && !reply_due) {
            break;
        }
        if (timed_due && (!reply_due || timed_[next_timed_].at + shift_ <= replying_.front().at)) {
            const std::vector<std::uint8_t>& bytes = timed_[next_timed_++].bytes;
            due.insert(due.end(), bytes.begin(), bytes.end());
        } else {
            due.insert(due.end(), replying_.front().bytes.begin(), replying_.front().bytes.end());
            replying_.pop_front();
        }
    }
    return due;
}

Time Replay::next_wakeup() const {
    Time wake = Time::max();
    if (next_timed_ < timed_.size()) {
        wake = timed_[next_timed_].at + shift_;
    }
    if (!replying_.empty()) {
        wake = std::min(wake, replying_.front().at);
    }
    return wake;
}

std::string Replay::describe() const {
    return "replay: " + std::to_string(next_timed_ - skipped_) + " of " + std::to_string(timed_.size()) +
           " timed chunks sent" +
           (skipped_ > 0 ? ", " + std::to_string(skipped_) + " skipped for a command" : "") + ", " +
           std::to_string(next_command_) + " of " + std::to_string(commands_.size()) + " commands answered" +
           (unmatched_ > 0 ? ", " + std::to_string(unmatched_) + " bytes unmatched" : "");
}

}  // namespace calvex::sim
