#include "frame_encoder.h"
#include "sim_error.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace calvex::sim {
namespace {

struct FrameCase {
    std::string name;
    Model model;
    Unit unit;
    ThermocoupleType type;
    std::string t1;
    std::string t2;
    FrameEncoder::Frame expected;
};

void PrintTo(const FrameCase& c, std::ostream* out) {
    *out << c.t1 << " / " << c.t2;
}

class FrameEncoderTable : public testing::TestWithParam<FrameCase> {};

TEST_P(FrameEncoderTable, EncodesTheExactBytes) {
    const FrameCase& c = GetParam();
    const InstrumentState state{c.model, c.unit, c.type, parse_reading(c.t1), parse_reading(c.t2)};
    EXPECT_EQ(FrameEncoder::encode_frame(state), c.expected);
}

using M = Model;
using U = Unit;
using T = ThermocoupleType;

INSTANTIATE_TEST_SUITE_P(Frames, FrameEncoderTable,
                         testing::Values(FrameCase{"DualCelsiusNoValueOnT2",
                                                   M::Dual,
                                                   U::Celsius,
                                                   T::K,
                                                   "25.1",
                                                   "----",
                                                   {0x02, 0x00, 0x00, 0xFB, 0x20, 0x00, 0x00, 0x00, 0x03}},
                                         FrameCase{"TwoNumbers",
                                                   M::Dual,
                                                   U::Celsius,
                                                   T::K,
                                                   "21.3",
                                                   "1000.0",
                                                   {0x02, 0x00, 0x00, 0xD5, 0x00, 0x27, 0x10, 0x00, 0x03}},
                                         FrameCase{"NegativeT1",
                                                   M::Dual,
                                                   U::Celsius,
                                                   T::K,
                                                   "-12.5",
                                                   "0",
                                                   {0x02, 0x80, 0x00, 0x7D, 0x00, 0x00, 0x00, 0x00, 0x03}},
                                         FrameCase{"NegativeT2",
                                                   M::Dual,
                                                   U::Celsius,
                                                   T::K,
                                                   "0.1",
                                                   "-200.0",
                                                   {0x02, 0x00, 0x00, 0x01, 0x80, 0x07, 0xD0, 0x00, 0x03}},
                                         FrameCase{"OverloadBoth",
                                                   M::Dual,
                                                   U::Celsius,
                                                   T::K,
                                                   "OL",
                                                   "OL",
                                                   {0x02, 0x40, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x03}},
                                         FrameCase{"NegativeOverloadBoth",
                                                   M::Dual,
                                                   U::Celsius,
                                                   T::K,
                                                   "-OL",
                                                   "-OL",
                                                   {0x02, 0xC0, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x03}},
                                         FrameCase{"NoValueT1",
                                                   M::Dual,
                                                   U::Celsius,
                                                   T::K,
                                                   "----",
                                                   "20",
                                                   {0x02, 0x20, 0x00, 0x00, 0x00, 0x00, 0xC8, 0x00, 0x03}},
                                         FrameCase{"FahrenheitUnitBitsOnChannel1Only",
                                                   M::Dual,
                                                   U::Fahrenheit,
                                                   T::K,
                                                   "77.2",
                                                   "-3.0",
                                                   {0x02, 0x01, 0x03, 0x04, 0x80, 0x00, 0x1E, 0x00, 0x03}},
                                         FrameCase{"FahrenheitNegative",
                                                   M::Dual,
                                                   U::Fahrenheit,
                                                   T::K,
                                                   "-40",
                                                   "----",
                                                   {0x02, 0x81, 0x01, 0x90, 0x20, 0x00, 0x00, 0x00, 0x03}},
                                         FrameCase{"KelvinOverload",
                                                   M::Dual,
                                                   U::Kelvin,
                                                   T::K,
                                                   "OL",
                                                   "295.1",
                                                   {0x02, 0x42, 0x00, 0x00, 0x00, 0x0B, 0x87, 0x00, 0x03}},
                                         FrameCase{"Kelvin",
                                                   M::Dual,
                                                   U::Kelvin,
                                                   T::K,
                                                   "298.2",
                                                   "----",
                                                   {0x02, 0x02, 0x0B, 0xA6, 0x20, 0x00, 0x00, 0x00, 0x03}},
                                         FrameCase{"SingleSendsFFAndZeros",
                                                   M::Single,
                                                   U::Celsius,
                                                   T::K,
                                                   "25.1",
                                                   "99.9",
                                                   {0x02, 0x00, 0x00, 0xFB, 0xFF, 0x00, 0x00, 0x00, 0x03}},
                                         FrameCase{"SingleNegativeOverloadFahrenheit",
                                                   M::Single,
                                                   U::Fahrenheit,
                                                   T::J,
                                                   "-OL",
                                                   "----",
                                                   {0x02, 0xC1, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x01, 0x03}},
                                         FrameCase{"LargestMagnitude",
                                                   M::Dual,
                                                   U::Celsius,
                                                   T::K,
                                                   "6553.5",
                                                   "-6553.5",
                                                   {0x02, 0x00, 0xFF, 0xFF, 0x80, 0xFF, 0xFF, 0x00, 0x03}},
                                         FrameCase{"NegativeZeroHasNoSign",
                                                   M::Dual,
                                                   U::Celsius,
                                                   T::K,
                                                   "-0.0",
                                                   "-0.04",
                                                   {0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03}},
                                         FrameCase{"RoundsToTenths",
                                                   M::Dual,
                                                   U::Celsius,
                                                   T::K,
                                                   "25.06",
                                                   "-0.05",
                                                   {0x02, 0x00, 0x00, 0xFB, 0x80, 0x00, 0x01, 0x00, 0x03}}),
                         [](const testing::TestParamInfo<FrameCase>& param_info) {
                             return param_info.param.name;
                         });

class TypeCodeTable : public testing::TestWithParam<std::pair<std::string, std::uint8_t>> {};

TEST_P(TypeCodeTable, LastDataByteIsTheTypeCode) {
    const auto& [name, code] = GetParam();
    const InstrumentState state{Model::Dual, Unit::Celsius, parse_type(name), Reading::value(10),
                                Reading::value(20)};
    const FrameEncoder::Frame frame = FrameEncoder::encode_frame(state);
    EXPECT_EQ(frame[7], code);
    EXPECT_EQ(to_string(parse_type(name)), name);
}

INSTANTIATE_TEST_SUITE_P(Types, TypeCodeTable,
                         testing::Values(std::pair<std::string, std::uint8_t>{"K", 0}, std::pair{"J", 1},
                                         std::pair{"E", 2}, std::pair{"T", 3}, std::pair{"R", 4},
                                         std::pair{"S", 5}, std::pair{"N", 6}));

TEST(FrameEncoder, RecordIsTheFrameWithoutStartAndEnd) {
    const InstrumentState state{Model::Dual, Unit::Fahrenheit, ThermocoupleType::T, Reading::value(-15),
                                Reading::overload()};
    const FrameEncoder::Record record = FrameEncoder::encode_record(state);
    EXPECT_EQ(record, (FrameEncoder::Record{0x81, 0x00, 0x0F, 0x40, 0x00, 0x00, 0x03}));
}

TEST(ReadingParser, RejectsMalformedAndOutOfRange) {
    for (const std::string text :
         {"", "abc", "25,1", "1e3", "6553.6", "-6553.6", "nan", "inf", "--", "O L"}) {
        EXPECT_THROW(parse_reading(text), SimError) << text;
    }
}

TEST(ReadingParser, AcceptsMarkersInAnyCaseAndFormatsBack) {
    EXPECT_EQ(parse_reading("ol"), Reading::overload());
    EXPECT_EQ(parse_reading("-Ol"), Reading::negative_overload());
    EXPECT_EQ(to_string(parse_reading("-3.5")), "-3.5");
    EXPECT_EQ(to_string(parse_reading("0.7")), "0.7");
    EXPECT_EQ(to_string(parse_reading("----")), "----");
    EXPECT_EQ(parse_channel_source("AUTO"), std::nullopt);
}

}  // namespace
}  // namespace calvex::sim
