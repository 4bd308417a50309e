#include <gtest/gtest.h>

#include "instrument/text_format.h"
#include "memory/memory_image.h"
#include "memory/start_time.h"
#include "support/memory_rig.h"

namespace calvex::test {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

std::string closed(std::string data) {
    closeImage(data, data.size());
    return data;
}

const std::vector<LoggedSet> kThreeSets = {
    {10, {dualRecord(251, 100), dualRecord(252, 101), dualRecord(253, 102)}},
    {60, {singleRecord(1000), singleRecord(1001)}},
    {1, {dualRecord(300, 300, 1), dualRecord(301, 300, 1), dualRecord(302, 300, 1), dualRecord(303, 300, 1)}},
};

TEST(MemoryImage, PointerReplies) {
    struct Case {
        std::string reply;
        int pointer;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {bytes({2, 0xC0, 0x00, 3}), 0xC000, true},
        {bytes({2, 0x8C, 0x7E, 3}), 35966, true},
        {bytes({2, 0x8C, 0x7D, 3}), 35965, false},
        {bytes({1, 0xC0, 0x00, 3}), 0xC000, false},
        {bytes({2, 0xC0, 0x00, 2}), 0xC000, false},
        {bytes({2, 0xFF, 0xFF, 3, 9, 9}), 0xFFFF, true},
        {bytes({2, 0xC0}), 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pointerOf(c.reply), c.pointer);
        EXPECT_EQ(pointerAccepted(c.reply), c.accepted);
    }
}

TEST(MemoryImage, ClosingDropsTheLastByteAndRepeatsBytesTwoToEight) {
    struct Case {
        std::string image;
        std::size_t total;
        std::string closed;
    };
    const std::vector<Case> cases = {
        {bytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), 10, bytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7})},
        {bytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), 10,
         bytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7})},
        {bytes({0, 1, 2, 3}), 4, bytes({0, 1, 2, 1, 2})},
        {bytes({0}), 1, ""},
        {"", 0, ""},
    };
    for (const Case& c : cases) {
        std::string image = c.image;
        closeImage(image, c.total);
        EXPECT_EQ(image, c.closed);
    }
}

TEST(MemoryImage, SetsAreListedWithSamplingAndRecords) {
    struct Case {
        const char* name;
        std::string image;
        std::vector<SetRow> rows;
    };
    const std::string header = bytes({0, 0x55, 0xAA, 0});
    const std::vector<Case> cases = {
        {"two sets", closed(memoryData({kThreeSets[0], kThreeSets[1]})), {{1, 10, 3}, {2, 60, 2}}},
        {"three sets", closed(memoryData(kThreeSets)), {{1, 10, 3}, {2, 60, 2}, {3, 1, 4}}},
        {"no set", closed(bytes({0, 3})), {}},
        {"empty", "", {}},
        {"never closed", bytes({0}) + header + bytes({10}) + std::string(40, '\x01'), {}},
        {"no records", closed(memoryData({{5, {}}, kThreeSets[1]})), {{1, 5, 0}, {2, 60, 2}}},
        // A header pattern inside a record (T1 8.5, T2 blank) is data, not a set.
        {"header inside a record",
         closed(memoryData({{10, {{0x00, 0x00, 0x55, 0xAA, 0x00, 0, 0}}}})),
         {{1, 10, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(listSets(c.image), c.rows);
    }
}

TEST(MemoryImage, CollectingASetGathersItsRecords) {
    const std::string image = closed(memoryData(kThreeSets));
    for (std::size_t n = 1; n <= kThreeSets.size(); ++n) {
        SCOPED_TRACE(n);
        const std::optional<CollectedSet> set = collectSet(image, static_cast<int>(n));
        ASSERT_TRUE(set.has_value());
        EXPECT_EQ(set->sampling, kThreeSets[n - 1].sampling);
        ASSERT_EQ(set->count(), kThreeSets[n - 1].records.size());
        for (std::size_t r = 0; r < set->count(); ++r) {
            const Record& want = kThreeSets[n - 1].records[r];
            EXPECT_EQ(set->records.substr(r * 7, 7), std::string(want.begin(), want.end()));
        }
    }
    EXPECT_FALSE(collectSet(image, 0).has_value());
    EXPECT_FALSE(collectSet(image, 4).has_value());  // the closing copy of the first header
    EXPECT_FALSE(collectSet("", 1).has_value());
}

// Status 0x03 is unit code 3 (degrees F) without flags, 0x0303 reads 77.1 and type code 3 is "T":
// ordinary records that hold four 0x03 in a row, at any place in a set.
TEST(MemoryImage, RecordsHoldingRunsOf0x03AreListedAndDecodedWhole) {
    const Record allThrees = {3, 3, 3, 3, 3, 3, 3};  // dual, 77.1 F on both channels, type T
    struct Case {
        const char* name;
        std::vector<LoggedSet> sets;
    };
    const std::vector<Case> cases = {
        {"dual, every byte 0x03", {{10, {allThrees, allThrees, allThrees}}, kThreeSets[1]}},
        {"single input, type T at 77.1 F", {{60, std::vector<Record>(6, singleRecord(0x0303, 3, 3))}}},
        {"dual, T2 77.1 F on status 0x03",
         {kThreeSets[0], {1, std::vector<Record>(5, {3, 0, 200, 3, 3, 3, 3})}, kThreeSets[1]}},
        {"one such record among others",
         {{2,
           {dualRecord(251, 100), dualRecord(0x0303, 0x0303, 3, 3), singleRecord(0x0303, 3, 3),
            dualRecord(252, 101)}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string image = closed(memoryData(c.sets));
        const std::vector<SetRow> rows = listSets(image);
        ASSERT_EQ(rows.size(), c.sets.size());
        for (std::size_t n = 0; n < c.sets.size(); ++n) {
            SCOPED_TRACE(n + 1);
            const LoggedSet& want = c.sets[n];
            EXPECT_EQ(rows[n], (SetRow{static_cast<int>(n) + 1, want.sampling,
                                       static_cast<int>(want.records.size())}));
            const std::optional<CollectedSet> set = collectSet(image, static_cast<int>(n) + 1);
            ASSERT_TRUE(set.has_value());
            EXPECT_EQ(set->sampling, want.sampling);
            ASSERT_EQ(set->count(), want.records.size());
            for (std::size_t r = 0; r < set->count(); ++r)
                EXPECT_EQ(set->records.substr(r * 7, 7),
                          std::string(want.records[r].begin(), want.records[r].end()));
        }
    }
}

// A download cut anywhere lists the sets that are whole and decodes only whole records.
TEST(MemoryImage, ImagesCutAtEveryLength) {
    const std::string full = closed(memoryData(kThreeSets));
    const std::vector<SetRow> all = listSets(full);
    ASSERT_EQ(all.size(), 3u);
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        const std::string cut = full.substr(0, length);
        // A set counts once the header after it is in.
        std::size_t whole = 0;
        std::size_t end = 1;
        for (const LoggedSet& set : kThreeSets) {
            end += 5 + 7 * set.records.size();
            if (end + 4 <= length)
                ++whole;
        }
        const std::vector<SetRow> rows = listSets(cut);
        ASSERT_EQ(rows.size(), whole);
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(rows[i], all[i]);
        // Exactly the listed sets decode, each into the records listed for it; the closing copy
        // of the first header (set 4) is no set.
        for (int n = 1; n <= 4; ++n) {
            const std::optional<CollectedSet> set = collectSet(cut, n);
            ASSERT_EQ(set.has_value(), static_cast<std::size_t>(n) <= rows.size());
            if (set) {
                EXPECT_EQ(set->count(),
                          static_cast<std::size_t>(rows[static_cast<std::size_t>(n) - 1].records));
            }
        }
        // The data itself cut short and closed as a download would.
        std::string raw = memoryData(kThreeSets).substr(0, length);
        closeImage(raw, raw.size());
        EXPECT_LE(listSets(raw).size(), 3u);
    }
}

TEST(StartTime, AnswersAreFoldedIntoTheDay) {
    struct Case {
        const char* answer;
        const char* time;  // nullptr: refused
    };
    const std::vector<Case> cases = {
        {"25:61:70", "01:01:10"},   {"7:5:3", "07:05:03"},    {"12:30", nullptr},
        {"23:59:55", "23:59:55"},   {"123:9:05", "23:09:05"}, {"12:30:456", "12:30:45"},
        {"::", "00:00:00"},         {"ab:cd:ef", "00:00:00"}, {"1:2:3:4", "01:02:03"},
        {" 9 : 8 : 7", "09:08:07"}, {"99:99:99", "03:39:39"}, {"", nullptr},
        {"12.30.00", nullptr},      {"-5:-5:-5", "05:05:05"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        const std::optional<int> start = parseStartTime(c.answer);
        if (c.time == nullptr) {
            EXPECT_FALSE(start.has_value());
        } else {
            ASSERT_TRUE(start.has_value());
            EXPECT_EQ(formatTimeOfDay(*start), c.time);
        }
    }
}

}  // namespace
}  // namespace calvex::test
