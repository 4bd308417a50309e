#include "instrument.h"

#include <algorithm>

namespace calvex::sim {

Instrument::Instrument(InstrumentConfig config, MemoryStore memory, Time now)
    : config_(config),
      responder_(std::move(memory)),
      generator_(config.seed),
      random_(config.seed ^ 0x5A17u),
      next_frame_(now),
      next_noise_(now + config.period / 2) {
    responder_.set_cut(config_.memory_cut);
}

void Instrument::receive(std::span<const std::uint8_t> bytes, Time now) {
    if (!connected_ || silent(now) || config_.memory_mute) {
        return;
    }
    for (const std::uint8_t byte : bytes) {
        CommandResponder::Reply reply = responder_.on_byte(byte);
        if (!reply.is_command) {
            continue;
        }
        transmitter_.drop(LineTransmitter::Stream::Frame);
        transmitter_.drop(LineTransmitter::Stream::Noise);
        transmitter_.drop(LineTransmitter::Stream::Memory);
        transmitter_.enqueue(LineTransmitter::Stream::Memory, reply.bytes, now);
        hold_until_ = now + kMemoryHold;
        cut_off_ = reply.cut;
    }
}

std::vector<std::uint8_t> Instrument::poll(Time now) {
    const bool quiet = !connected_ || silent(now);
    if (quiet) {
        transmitter_.drop_all();
    }
    if (next_frame_ <= now) {
        if (!quiet && frames_allowed(now) && !transmitter_.pending(LineTransmitter::Stream::Frame)) {
            send_frame(now);
        }
        next_frame_ = next_grid_point(next_frame_, now);
    }
    if (next_noise_ <= now) {
        if (!quiet && config_.noise && frames_allowed(now)) {
            send_noise(now);
        }
        next_noise_ = next_grid_point(next_noise_, now);
    }
    return transmitter_.take_due(now);
}

Time Instrument::next_wakeup(Time now) const {
    Time next = std::min(next_frame_, next_noise_);
    if (const std::optional<Time> due = transmitter_.next_due()) {
        next = std::min(next, *due);
    }
    for (const Time edge : {silence_from_, silence_until_}) {
        if (edge > now) {
            next = std::min(next, edge);
        }
    }
    return next;
}

void Instrument::set_channel(int channel, std::optional<Reading> fixed) {
    (channel == 1 ? config_.t1 : config_.t2) = fixed;
}

void Instrument::set_period(std::chrono::milliseconds period, Time now) {
    config_.period = period;
    next_frame_ = now + period;
    next_noise_ = now + period / 2;
}

void Instrument::set_memory_cut(std::optional<std::size_t> cut) {
    config_.memory_cut = cut;
    responder_.set_cut(cut);
}

void Instrument::silence(Time from, Time length) {
    silence_from_ = from;
    silence_until_ = from + length;
}

void Instrument::set_connected(bool connected) {
    connected_ = connected;
    transmitter_.drop_all();
    responder_.reset();
    cut_off_ = false;
}

bool Instrument::memory_busy(Time now) const {
    if (transmitter_.pending(LineTransmitter::Stream::Memory) || now < hold_until_) {
        return true;
    }
    const std::optional<Time> last = transmitter_.last_sent(LineTransmitter::Stream::Memory);
    return last && now < *last + kMemoryHold;
}

bool Instrument::frames_allowed(Time now) const {
    return !cut_off_ && !memory_busy(now);
}

void Instrument::send_frame(Time now) {
    InstrumentState state{config_.model, config_.unit, config_.type, {}, {}};
    state.t1 = config_.t1 ? *config_.t1 : generator_.reading(1, now, config_.unit);
    state.t2 = config_.t2 ? *config_.t2 : generator_.reading(2, now, config_.unit);
    const FrameEncoder::Frame frame = FrameEncoder::encode_frame(state);
    std::size_t length = frame.size();
    if (config_.partial && std::uniform_int_distribution<int>(0, 3)(random_) == 0) {
        length = std::uniform_int_distribution<std::size_t>(1, frame.size() - 1)(random_);
    }
    transmitter_.enqueue(LineTransmitter::Stream::Frame,
                         std::vector<std::uint8_t>(frame.begin(), frame.begin() + length), now);
}

void Instrument::send_noise(Time now) {
    std::vector<std::uint8_t> bytes(std::uniform_int_distribution<std::size_t>(1, 6)(random_));
    std::uniform_int_distribution<int> value(0, 255);
    for (std::uint8_t& byte : bytes) {
        do {
            byte = static_cast<std::uint8_t>(value(random_));
        } while (byte == FrameEncoder::kStart || byte == FrameEncoder::kEnd);
    }
    transmitter_.enqueue(LineTransmitter::Stream::Noise, bytes, now);
}

Time Instrument::next_grid_point(Time point, Time now) const {
    const Time period = config_.period;
    return point + ((now - point) / period + 1) * period;
}

std::string Instrument::describe(Time now) const {
    const auto channel = [](const std::optional<Reading>& fixed) {
        return fixed ? to_string(*fixed) : "auto";
    };
    std::string text = "model " + to_string(config_.model) + ", unit " + to_string(config_.unit) + ", type " +
                       to_string(config_.type) + ", t1 " + channel(config_.t1) + ", t2 " +
                       channel(config_.t2) + ", period " + std::to_string(config_.period.count()) + " ms";
    text += config_.noise ? ", noise on" : ", noise off";
    text += config_.partial ? ", partial on" : ", partial off";
    if (config_.memory_mute) {
        text += ", memory muted";
    }
    if (config_.memory_cut) {
        text += ", memory cut at " + std::to_string(*config_.memory_cut);
    }
    text += ", " + std::to_string(responder_.memory().bytes_used()) + " memory bytes used";
    if (!connected_) {
        text += ", unplugged";
    } else if (silent(now)) {
        text += ", silent";
    }
    return text;
}

}  // namespace calvex::sim
