#include "instrument/meter.h"

#include "instrument/text_format.h"

namespace calvex {

namespace {

constexpr double kKelvinOffset = 273.2;

bool bit(std::uint8_t value, int n) {
    return (value >> n) & 1;
}

// One channel's value from its flags: a marker text or the signed magnitude in tenths.
ReadingValue channelValue(bool blank, bool over, bool negative, std::uint8_t high, std::uint8_t low) {
    const double magnitude = (high * 256 + low) / 10.0;
    if (blank)
        return ReadingValue("----");
    if (negative)
        return over ? ReadingValue("-OL") : ReadingValue(-magnitude);
    return over ? ReadingValue("OL") : ReadingValue(magnitude);
}

// Stores a channel's value and its three conversions by the instrument's unit.
void storeChannel(const InstrumentState& unit, const ReadingValue& value, ReadingValue& raw, ReadingValue& c,
                  ReadingValue& f, ReadingValue& k) {
    raw = value;
    if (!value.isNumber()) {
        c = f = k = value;
        return;
    }
    const double v = value.number();
    if (unit.UnitC) {
        c = v;
        f = v * 1.8 + 32.0;
        k = v + kKelvinOffset;
    } else if (unit.UnitF) {
        f = v;
        c = (v - 32.0) / 1.8;
        k = c.number() + kKelvinOffset;
    } else {
        k = v;
        c = v - kKelvinOffset;
        f = c.number() * 1.8 + 32.0;
    }
}

}  // namespace

bool isFrame(std::string_view block) {
    return block.size() >= kFrameLength && static_cast<unsigned char>(block[0]) == kFrameStart &&
           static_cast<unsigned char>(block[8]) == kFrameEnd;
}

namespace {

// The widest thermocouple range of a unit code, in tenths of the unit.
struct TenthsRange {
    int low;
    int high;
};

TenthsRange widestRange(std::uint8_t status) {
    switch (status % 4) {
        case 0:
            return {-2000, 17600};  // C
        case 2:
            return {0, 20332};  // K: 0 as the chart's scale has it, 1760.0 C
        default:
            return {-3280, 32000};  // F: -200.0 C .. 1760.0 C
    }
}

bool channelSendable(TenthsRange range, std::uint8_t status, std::uint8_t high, std::uint8_t low) {
    if (bit(status, 5) || bit(status, 6))
        return true;  // no value, or overload: the magnitude is not a reading
    const int magnitude = high * 256 + low;
    const int value = bit(status, 7) ? -magnitude : magnitude;
    return value >= range.low && value <= range.high;
}

}  // namespace

bool isSendableFrame(std::string_view frame) {
    if (!isFrame(frame))
        return false;
    const auto byte = [&](std::size_t n) { return static_cast<std::uint8_t>(frame[n - 1]); };
    const TenthsRange range = widestRange(byte(2));
    if (!channelSendable(range, byte(2), byte(3), byte(4)))
        return false;
    return byte(5) == 255 || channelSendable(range, byte(5), byte(6), byte(7));
}

void DecodeT1Status(InstrumentState& state, std::uint8_t status) {
    const int unit = status % 4;
    state.UnitC = unit == 0;
    state.UnitF = unit == 1 || unit == 3;
    state.UnitK = unit == 2;
    state.Unit = state.UnitC ? "C" : state.UnitF ? "F" : "K";
    state.T1Blank = bit(status, 5);
    state.T1Over = bit(status, 6);
    state.T1Negative = bit(status, 7);
}

void DecodeT1Value(InstrumentState& state, std::uint8_t high, std::uint8_t low) {
    const ReadingValue value = channelValue(state.T1Blank, state.T1Over, state.T1Negative, high, low);
    storeChannel(state, value, state.T1Value, state.T1C, state.T1F, state.T1K);
}

void DecodeT2Status(InstrumentState& state, std::uint8_t status) {
    state.DualModel = status != 255;
    state.T2Blank = bit(status, 5);
    state.T2Over = bit(status, 6);
    state.T2Negative = bit(status, 7);
}

void DecodeT2Value(InstrumentState& state, std::uint8_t high, std::uint8_t low) {
    if (!state.DualModel)
        return;
    const ReadingValue value = channelValue(state.T2Blank, state.T2Over, state.T2Negative, high, low);
    storeChannel(state, value, state.T2Value, state.T2C, state.T2F, state.T2K);

    const ReadingValue& t1 = state.T1Value;
    const ReadingValue& t2 = state.T2Value;
    ReadingValue marker;
    if (t1.isText("----") || t2.isText("----")) {
        marker = "----";
    } else if (t1.isText("OL") || t2.isText("-OL")) {
        marker = "OL";
    } else if (t1.isText("-OL") || t2.isText("OL")) {
        marker = "-OL";
    }
    if (!marker.isEmpty()) {
        state.T1T2Value = state.T1T2C = state.T1T2F = state.T1T2K = marker;
        return;
    }
    state.T1T2Value = t1.number() - t2.number();
    state.T1T2C = formatFixed1(state.T1C.number() - state.T2C.number());
    state.T1T2F = formatFixed1(state.T1F.number() - state.T2F.number());
    state.T1T2K = formatFixed1(state.T1K.number() - state.T2K.number());
}

void DecodeTcType(InstrumentState& state, std::uint8_t code) {
    static constexpr const char* kTypes[] = {"K", "J", "E", "T", "R", "S", "N"};
    if (code < 7)
        state.TcType = kTypes[code];
}

void decodeReading(InstrumentState& state, const std::uint8_t bytes[7]) {
    DecodeT1Status(state, bytes[0]);
    DecodeT1Value(state, bytes[1], bytes[2]);
    DecodeT2Status(state, bytes[3]);
    DecodeT2Value(state, bytes[4], bytes[5]);
    DecodeTcType(state, bytes[6]);
}

}  // namespace calvex
