#include "memory_store.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim_error.h"

namespace calvex::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes slice(const Bytes& data, std::size_t from, std::size_t count) {
    return Bytes(data.begin() + static_cast<std::ptrdiff_t>(from),
                 data.begin() + static_cast<std::ptrdiff_t>(from + count));
}

// 3 records at 10 s (dual, C, K) and 2 records at 60 s (single, F, J).
std::vector<LoggingSet> two_sets() {
    LoggingSet first{10, Model::Dual, Unit::Celsius, ThermocoupleType::K, {}};
    first.records = {{Reading::value(251), Reading::no_value()},
                     {Reading::value(-53), Reading::value(1000)},
                     {Reading::overload(), Reading::negative_overload()}};
    LoggingSet second{60, Model::Single, Unit::Fahrenheit, ThermocoupleType::J, {}};
    second.records = {{Reading::value(772), Reading::no_value()}, {Reading::no_value(), Reading::no_value()}};
    return {first, second};
}

TEST(MemoryStore, EmptyMemoryIsLeadAndTrailingByte) {
    const MemoryStore memory;
    EXPECT_EQ(memory.data(), (Bytes{0x00, 0x03}));
    EXPECT_EQ(memory.bytes_used(), 2u);
    EXPECT_EQ(memory.pointer(), 0x8C80);
    EXPECT_EQ(memory.pointer_reply(), (std::array<std::uint8_t, 4>{0x02, 0x8C, 0x80, 0x03}));
    EXPECT_EQ(MemoryStore::build({}).data(), memory.data());
}

TEST(MemoryStore, TwoSetsLayout) {
    const MemoryStore memory = MemoryStore::build(two_sets());
    const Bytes& d = memory.data();
    // 1 lead + (4 + 1 + 3 * 7) + (4 + 1 + 2 * 7) + 1 trailing
    ASSERT_EQ(memory.bytes_used(), 47u);
    EXPECT_EQ(d[0], 0x00);
    EXPECT_EQ(slice(d, 1, 4), (Bytes{0x00, 0x55, 0xAA, 0x00}));
    EXPECT_EQ(d[5], 10);
    EXPECT_EQ(slice(d, 6, 7), (Bytes{0x00, 0x00, 0xFB, 0x20, 0x00, 0x00, 0x00}));
    EXPECT_EQ(slice(d, 13, 7), (Bytes{0x80, 0x00, 0x35, 0x00, 0x03, 0xE8, 0x00}));
    EXPECT_EQ(slice(d, 20, 7), (Bytes{0x40, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00}));
    EXPECT_EQ(slice(d, 27, 4), (Bytes{0x00, 0x55, 0xAA, 0x00}));
    EXPECT_EQ(d[31], 60);
    EXPECT_EQ(slice(d, 32, 7), (Bytes{0x01, 0x03, 0x04, 0xFF, 0x00, 0x00, 0x01}));
    EXPECT_EQ(slice(d, 39, 7), (Bytes{0x21, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x01}));
    EXPECT_EQ(d[46], 0x03);

    EXPECT_EQ(memory.pointer(), 35966 + 47);
    EXPECT_EQ(memory.pointer_reply(), (std::array<std::uint8_t, 4>{0x02, 0x8C, 0xAD, 0x03}));
    EXPECT_EQ(MemoryStore::required_bytes(two_sets()), 47u);
}

TEST(MemoryStore, ForcedPointerPadsWithFF) {
    const MemoryStore natural = MemoryStore::build(two_sets());
    const MemoryStore padded = MemoryStore::build(two_sets(), 0x8CB0);
    ASSERT_EQ(padded.bytes_used(), 0x8CB0u - 35966u);  // 50
    EXPECT_EQ(slice(padded.data(), 0, 47), natural.data());
    EXPECT_EQ(slice(padded.data(), 47, 3), (Bytes{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(padded.pointer_reply(), (std::array<std::uint8_t, 4>{0x02, 0x8C, 0xB0, 0x03}));
}

TEST(MemoryStore, ForcedPointerEqualToTheNeedAddsNothing) {
    EXPECT_EQ(MemoryStore::build(two_sets(), 0x8CAD).data(), MemoryStore::build(two_sets()).data());
}

TEST(MemoryStore, FullMemory) {
    const MemoryStore full = MemoryStore::build({}, 0xFFFF);
    EXPECT_EQ(full.bytes_used(), 29569u);
    EXPECT_EQ(full.pointer_reply(), (std::array<std::uint8_t, 4>{0x02, 0xFF, 0xFF, 0x03}));
    EXPECT_EQ(full.data()[0], 0x00);
    EXPECT_EQ(full.data()[1], 0x03);
    EXPECT_EQ(full.data().back(), 0xFF);
}

TEST(MemoryStore, RefusesAPointerSmallerThanTheSetsNeed) {
    EXPECT_THROW(MemoryStore::build(two_sets(), 0x8CAC), SimError);
    EXPECT_THROW(MemoryStore::build({}, 0x8C7F), SimError);
    try {
        MemoryStore::build(two_sets(), 0x8C90);
        FAIL();
    } catch (const SimError& error) {
        EXPECT_STREQ(error.what(), "pointer 0x8C90 is too small: the logging sets need at least 0x8CAD");
    }
}

TEST(MemoryStore, RefusesSetsThatDoNotFit) {
    LoggingSet big{1, Model::Dual, Unit::Celsius, ThermocoupleType::K, {}};
    big.records.resize((29569 - 2 - 5) / 7, MemoryRecord{Reading::value(1), Reading::value(2)});
    EXPECT_EQ(MemoryStore::build({big}).bytes_used(), 2u + 5u + 4223u * 7u);
    big.records.push_back(big.records.back());
    EXPECT_THROW(MemoryStore::build({big}), SimError);
}

TEST(MemoryStore, RefusesSamplingTimesOutOfRange) {
    for (const int seconds : {0, 256, -1}) {
        EXPECT_THROW(
            MemoryStore::build({LoggingSet{seconds, Model::Dual, Unit::Celsius, ThermocoupleType::K, {}}}),
            SimError);
    }
    EXPECT_EQ(
        MemoryStore::build({LoggingSet{255, Model::Dual, Unit::Celsius, ThermocoupleType::K, {}}}).data(),
        (Bytes{0x00, 0x00, 0x55, 0xAA, 0x00, 0xFF, 0x03}));
}

}  // namespace
}  // namespace calvex::sim
