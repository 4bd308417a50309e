#include "frame_encoder.h"

#include <algorithm>

namespace calvex::sim {

std::uint8_t FrameEncoder::flag_bits(const Reading& reading) {
    switch (reading.kind) {
        case Reading::Kind::NoValue:
            return kNoValueBit;
        case Reading::Kind::Overload:
            return kOverloadBit;
        case Reading::Kind::NegativeOverload:
            return static_cast<std::uint8_t>(kOverloadBit | kNegativeBit);
        case Reading::Kind::Value:
            break;
    }
    return reading.tenths < 0 ? kNegativeBit : std::uint8_t{0};
}

std::uint16_t FrameEncoder::magnitude(const Reading& reading) {
    if (reading.kind != Reading::Kind::Value) {
        return 0;
    }
    const std::int32_t absolute = reading.tenths < 0 ? -reading.tenths : reading.tenths;
    return static_cast<std::uint16_t>(std::min(absolute, Reading::kMaxMagnitude));
}

FrameEncoder::Record FrameEncoder::encode_record(const InstrumentState& state) {
    const std::uint16_t m1 = magnitude(state.t1);
    Record record{};
    record[0] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(state.unit) | flag_bits(state.t1));
    record[1] = static_cast<std::uint8_t>(m1 >> 8);
    record[2] = static_cast<std::uint8_t>(m1 & 0xFF);
    if (state.model == Model::Single) {
        record[3] = kSingleModelStatus;
        record[4] = 0x00;
        record[5] = 0x00;
    } else {
        const std::uint16_t m2 = magnitude(state.t2);
        record[3] = flag_bits(state.t2);
        record[4] = static_cast<std::uint8_t>(m2 >> 8);
        record[5] = static_cast<std::uint8_t>(m2 & 0xFF);
    }
    record[6] = static_cast<std::uint8_t>(state.type);
    return record;
}

FrameEncoder::Frame FrameEncoder::encode_frame(const InstrumentState& state) {
    const Record record = encode_record(state);
    Frame frame{};
    frame[0] = kStart;
    std::copy(record.begin(), record.end(), frame.begin() + 1);
    frame[8] = kEnd;
    return frame;
}

}  // namespace calvex::sim
