#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "instrument/meter.h"

namespace calvex {
namespace {

InstrumentState decode(std::initializer_list<std::uint8_t> frameBytes, InstrumentState state = {}) {
    const std::vector<std::uint8_t> f(frameBytes);
    decodeReading(state, f.data() + 1);
    return state;
}

TEST(FrameAcceptance, NeedsNineBytesWithStartAndEndMarks) {
    struct Case {
        std::string block;
        bool accepted;
    };
    const std::string good("\x02\x00\x00\xFB\x60\x00\x64\x00\x03", 9);
    const Case cases[] = {
        {good, true},
        {good + "\x02\x01", true},  // bytes past the ninth are ignored
        {good.substr(0, 8), false},
        {"\x01" + good.substr(1), false},
        {good.substr(0, 8) + "\x04", false},
        {good.substr(1) + "\x03", false},  // a block that starts mid-frame
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isFrame(c.block), c.accepted) << testing::PrintToString(c.block);
}

// A frame is sendable unless a channel with a value lies beyond the widest thermocouple range of
// the frame's unit: -200.0..1760.0 C, -328.0..3200.0 F, 0.0..2033.2 K.
TEST(FrameAcceptance, OnlyFramesTheInstrumentCanSendAreSendable) {
    struct Case {
        const char* what;
        std::initializer_list<int> bytes;  // bytes 2 to 8
        bool sendable;
    };
    const Case cases[] = {
        {"25.1 C, T2 no value", {0x00, 0x00, 0xFB, 0x60, 0x00, 0x64, 0x00}, true},
        {"1760.0 C", {0x00, 0x44, 0xC0, 0xFF, 0, 0, 0}, true},
        {"1760.1 C", {0x00, 0x44, 0xC1, 0xFF, 0, 0, 0}, false},
        {"6445.2 C", {0x00, 0xFB, 0xC4, 0xFF, 0, 0, 0}, false},
        {"-200.0 C", {0x80, 0x07, 0xD0, 0xFF, 0, 0, 0}, true},
        {"-200.1 C", {0x80, 0x07, 0xD1, 0xFF, 0, 0, 0}, false},
        {"-0.0 C", {0x80, 0x00, 0x00, 0xFF, 0, 0, 0}, true},
        {"3200.0 F", {0x01, 0x7D, 0x00, 0xFF, 0, 0, 0}, true},
        {"3200.1 F", {0x01, 0x7D, 0x01, 0xFF, 0, 0, 0}, false},
        {"-328.0 F by unit code 3", {0x03, 0x0C, 0xD0, 0xFF, 0, 0, 0}, true},
        {"-328.1 F", {0x81, 0x0C, 0xD1, 0xFF, 0, 0, 0}, false},
        {"2033.2 K", {0x02, 0x4F, 0x6C, 0xFF, 0, 0, 0}, true},
        {"2033.3 K", {0x02, 0x4F, 0x6D, 0xFF, 0, 0, 0}, false},
        {"-0.1 K", {0x82, 0x00, 0x01, 0xFF, 0, 0, 0}, false},
        {"OL with any magnitude", {0x40, 0xFF, 0xFF, 0xFF, 0, 0, 0}, true},
        {"-OL with any magnitude", {0xC0, 0xFF, 0xFF, 0xFF, 0, 0, 0}, true},
        {"no value with any magnitude", {0x20, 0xFF, 0xFF, 0xFF, 0, 0, 0}, true},
        {"unused status bits", {0x1C, 0x00, 0xFB, 0xFF, 0, 0, 0}, true},
        {"single: bytes 6 and 7 unused", {0x00, 0x00, 0xFB, 0xFF, 0xFF, 0xFF, 0}, true},
        {"dual: T2 6553.5 C", {0x00, 0x00, 0xFB, 0x00, 0xFF, 0xFF, 0}, false},
        {"dual: T2 -OL", {0x00, 0x00, 0xFB, 0xC0, 0xFF, 0xFF, 0}, true},
        {"dual: T2 in F by byte 2", {0x01, 0x00, 0xFB, 0x00, 0x7D, 0x00, 0}, true},
        {"type code 9", {0x02, 0x0B, 0xB8, 0xFF, 0, 0, 9}, true},
    };
    for (const Case& c : cases) {
        std::string frame = "\x02";
        for (int b : c.bytes)
            frame += static_cast<char>(b);
        frame += "\x03";
        EXPECT_EQ(isSendableFrame(frame), c.sendable) << c.what;
    }
    EXPECT_FALSE(isSendableFrame(std::string("\x02\x00\x00\xFB\xFF\x00\x00\x00\x04", 9)));  // bad end mark
}

TEST(FrameDecoding, WorkedExampleDualCelsiusTypeK) {
    const InstrumentState s = decode({0x02, 0x00, 0x00, 0xFB, 0x60, 0x00, 0x64, 0x00, 0x03});
    EXPECT_EQ(s.T1Value, ReadingValue(25.1));
    EXPECT_EQ(s.T2Value, ReadingValue("----"));
    EXPECT_EQ(s.T1T2Value, ReadingValue("----"));
    EXPECT_EQ(s.T1T2C, ReadingValue("----"));
    EXPECT_EQ(s.Unit, ReadingValue("C"));
    EXPECT_EQ(s.TcType, ReadingValue("K"));
    EXPECT_TRUE(s.DualModel);
    EXPECT_TRUE(s.UnitC);
}

TEST(FrameDecoding, StatusByteOfChannelOne) {
    struct Case {
        std::uint8_t status;
        std::uint8_t high, low;
        const char* unit;
        ReadingValue value;
    };
    const Case cases[] = {
        {0x00, 0x00, 0xFB, "C", 25.1},   {0x01, 0x03, 0xE8, "F", 100.0},
        {0x02, 0x0B, 0xB8, "K", 300.0},  {0x03, 0x00, 0x0A, "F", 1.0},  // code 3 is also F
        {0x23, 0x01, 0x02, "F", "----"},                                // bit 5
        {0x60, 0x01, 0x02, "C", "----"},                                // bit 5 wins over bit 6
        {0xE0, 0x01, 0x02, "C", "----"},                                // and over bits 6 and 7
        {0xC0, 0x01, 0x02, "C", "-OL"},  {0x40, 0x01, 0x02, "C", "OL"},
        {0x80, 0x04, 0xD2, "C", -123.4}, {0x1C, 0xFF, 0xFF, "C", 6553.5},  // bits 2-4 ignored
        {0x80, 0x00, 0x00, "C", -0.0},
    };
    for (const Case& c : cases) {
        const InstrumentState s = decode({0x02, c.status, c.high, c.low, 0xFF, 0, 0, 0, 0x03});
        EXPECT_EQ(s.Unit, ReadingValue(c.unit)) << int(c.status);
        EXPECT_EQ(s.T1Value, c.value) << int(c.status);
        EXPECT_EQ(int(s.UnitC) + int(s.UnitF) + int(s.UnitK), 1);
        if (c.value.isText()) {
            EXPECT_EQ(s.T1C, c.value);
            EXPECT_EQ(s.T1F, c.value);
            EXPECT_EQ(s.T1K, c.value);
        }
    }
}

TEST(FrameDecoding, ConversionsKeepFullPrecision) {
    const InstrumentState f = decode({0x02, 0x01, 0x03, 0xE8, 0xFF, 0, 0, 0, 0x03});  // 100.0 F
    EXPECT_DOUBLE_EQ(f.T1F.number(), 100.0);
    EXPECT_DOUBLE_EQ(f.T1C.number(), (100.0 - 32.0) / 1.8);
    EXPECT_DOUBLE_EQ(f.T1K.number(), (100.0 - 32.0) / 1.8 + 273.2);
    EXPECT_NEAR(f.T1K.number(), 310.977777, 1e-5);

    const InstrumentState k = decode({0x02, 0x02, 0x0B, 0xB8, 0xFF, 0, 0, 0, 0x03});  // 300.0 K
    EXPECT_NEAR(k.T1C.number(), 26.8, 1e-9);
    EXPECT_NEAR(k.T1F.number(), 80.24, 1e-9);

    const InstrumentState c = decode({0x02, 0x00, 0x00, 0xFB, 0xFF, 0, 0, 0, 0x03});  // 25.1 C
    EXPECT_DOUBLE_EQ(c.T1F.number(), 25.1 * 1.8 + 32.0);
    EXPECT_DOUBLE_EQ(c.T1K.number(), 25.1 + 273.2);
}

TEST(FrameDecoding, DifferenceRulesInOrder) {
    // status, high, low for each channel; unit C
    struct Case {
        std::uint8_t s1, h1, l1, s2, h2, l2;
        ReadingValue difference;
        const char* textC;
    };
    const Case cases[] = {
        {0xC0, 0, 0, 0xC0, 0, 0, "OL", "OL"},        // -OL, -OL: rule 2 before rule 3
        {0x00, 0, 250, 0x40, 0, 0, "-OL", "-OL"},    // 25.0, OL
        {0x40, 0, 0, 0x20, 0, 0, "----", "----"},    // OL, ----
        {0x00, 0, 250, 0x80, 0, 100, 35.0, "35.0"},  // 25.0 - (-10.0)
        {0x00, 0, 251, 0x00, 0, 234, 1.7, "1.7"},    // 25.1 - 23.4
        {0x40, 0, 0, 0x40, 0, 0, "OL", "OL"},        // OL, OL
        {0xC0, 0, 0, 0x00, 0, 5, "-OL", "-OL"},      // -OL, 0.5
    };
    for (const Case& c : cases) {
        const InstrumentState s = decode({0x02, c.s1, c.h1, c.l1, c.s2, c.h2, c.l2, 0, 0x03});
        if (c.difference.isNumber()) {
            EXPECT_NEAR(s.T1T2Value.number(), c.difference.number(), 1e-9);
            EXPECT_TRUE(s.T1T2Value.isNumber());
        } else {
            EXPECT_EQ(s.T1T2Value, c.difference);
        }
        EXPECT_EQ(s.T1T2C, ReadingValue(c.textC));
        EXPECT_TRUE(s.T1T2F.isText());
        EXPECT_TRUE(s.T1T2K.isText());
    }
}

TEST(FrameDecoding, DualByteAndSingleModelKeepsChannelTwo) {
    InstrumentState s = decode({0x02, 0x00, 0x00, 0xFB, 0xFE, 0x00, 0x64, 0x00, 0x03});
    EXPECT_TRUE(s.DualModel);                    // only exactly 0xFF means single
    EXPECT_EQ(s.T2Value, ReadingValue("----"));  // 0xFE carries bit 5

    s = decode({0x02, 0x00, 0x00, 0xFB, 0x00, 0x00, 0x64, 0x00, 0x03}, s);
    EXPECT_EQ(s.T2Value, ReadingValue(10.0));

    s = decode({0x02, 0x00, 0x01, 0x00, 0xFF, 0x00, 0x00, 0x01, 0x03}, s);
    EXPECT_FALSE(s.DualModel);
    EXPECT_EQ(s.T1Value, ReadingValue(25.6));
    EXPECT_EQ(s.T2Value, ReadingValue(10.0));  // the last dual reading stays
    EXPECT_TRUE(s.T2Blank && s.T2Over && s.T2Negative);
}

TEST(FrameDecoding, TypeCodesAboveSixKeepTheLetter) {
    const char* letters = "KJETRSN";
    for (std::uint8_t code = 0; code < 7; ++code) {
        const InstrumentState s = decode({0x02, 0, 0, 0, 0xFF, 0, 0, code, 0x03});
        EXPECT_EQ(s.TcType, ReadingValue(std::string(1, letters[code])));
    }
    InstrumentState s = decode({0x02, 0, 0, 0, 0xFF, 0, 0, 1, 0x03});
    for (std::uint8_t code : {7, 9, 255}) {
        s = decode({0x02, 0, 0, 0, 0xFF, 0, 0, code, 0x03}, s);
        EXPECT_EQ(s.TcType, ReadingValue("J"));
    }
}

TEST(InstrumentState, EmptyBeforeTheFirstFrame) {
    const InstrumentState s;
    EXPECT_TRUE(s.T1Value.isEmpty());
    EXPECT_TRUE(s.Unit.isEmpty());
    EXPECT_FALSE(s.UnitC || s.UnitF || s.UnitK);
    EXPECT_EQ(s.T1Value.format("0.0"), "");
}

}  // namespace
}  // namespace calvex
