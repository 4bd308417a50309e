#pragma once

#include <array>
#include <cstdint>

#include "instrument_types.h"

namespace calvex::sim {

// What the instrument shows at one moment: the content of one live frame or one memory record.
struct InstrumentState {
    Model model = Model::Dual;
    Unit unit = Unit::Celsius;
    ThermocoupleType type = ThermocoupleType::K;
    Reading t1;
    Reading t2;  // ignored for the single-input model
};

// Turns readings into the bytes the instrument sends.
class FrameEncoder {
public:
    static constexpr std::uint8_t kStart = 0x02;
    static constexpr std::uint8_t kEnd = 0x03;
    static constexpr std::uint8_t kSingleModelStatus = 0xFF;
    static constexpr std::uint8_t kNoValueBit = 0x20;
    static constexpr std::uint8_t kOverloadBit = 0x40;
    static constexpr std::uint8_t kNegativeBit = 0x80;

    using Frame = std::array<std::uint8_t, 9>;
    using Record = std::array<std::uint8_t, 7>;

    // Marker and sign bits (5, 6, 7) of a status byte; the unit bits are left at 0.
    static std::uint8_t flag_bits(const Reading& reading);
    // Magnitude in tenths as sent: |tenths| for numbers, 0 for markers.
    static std::uint16_t magnitude(const Reading& reading);

    // The seven data bytes: ch1 status, ch1 high, ch1 low, ch2 status, ch2 high, ch2 low, type.
    static Record encode_record(const InstrumentState& state);
    // 0x02, the seven data bytes, 0x03.
    static Frame encode_frame(const InstrumentState& state);
};

}  // namespace calvex::sim
