#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sinks/sample_point.h"

namespace calvex {
namespace {

struct StateCase {
    std::string text;
    ReadingState state;
};

class SampleReadingState : public ::testing::TestWithParam<StateCase> {};

TEST_P(SampleReadingState, TellsWhatTheTextSays) {
    EXPECT_EQ(readingState(GetParam().text), GetParam().state) << "'" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SampleReadingState,
    ::testing::Values(StateCase{"23.4", ReadingState::Measured}, StateCase{"-0.5", ReadingState::Measured},
                      StateCase{"0.0", ReadingState::Measured}, StateCase{"1372", ReadingState::Measured},
                      StateCase{"-200", ReadingState::Measured}, StateCase{"OL", ReadingState::Over},
                      StateCase{"-OL", ReadingState::Under}, StateCase{"----", ReadingState::Unknown},
                      StateCase{"", ReadingState::Unknown}, StateCase{"1e5", ReadingState::Unknown},
                      StateCase{"+1.0", ReadingState::Unknown}, StateCase{" 1.0", ReadingState::Unknown},
                      StateCase{"1.0 ", ReadingState::Unknown}, StateCase{"1.", ReadingState::Unknown},
                      StateCase{".5", ReadingState::Unknown}, StateCase{"--1", ReadingState::Unknown},
                      StateCase{"-", ReadingState::Unknown}, StateCase{"1.2.3", ReadingState::Unknown},
                      StateCase{"ol", ReadingState::Unknown}, StateCase{"+OL", ReadingState::Unknown},
                      StateCase{"nan", ReadingState::Unknown},
                      StateCase{std::string(32, '9'), ReadingState::Measured},
                      StateCase{std::string(33, '9'), ReadingState::Unknown},
                      StateCase{std::string("1\0", 2), ReadingState::Unknown}));

struct TimeCase {
    LocalDateTime at;
    std::int64_t epoch;  // from `date -d <iso> +%s`
    std::string iso;
};

class SampleTime : public ::testing::TestWithParam<TimeCase> {};

TEST_P(SampleTime, GivesTheEpochAndTheIsoText) {
    EXPECT_EQ(epochSeconds(GetParam().at), GetParam().epoch);
    EXPECT_EQ(isoLocalTime(GetParam().at), GetParam().iso);
}

LocalDateTime at(int year, int month, int day, int hour, int minute, int second, int offset) {
    return LocalDateTime{year, month, day, hour, minute, second, 0, offset};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SampleTime,
    ::testing::Values(TimeCase{at(2026, 12, 10, 14, 5, 32, 3600), 1796907932, "2026-12-10T14:05:32+01:00"},
                      TimeCase{at(2026, 12, 10, 14, 5, 32, 0), 1796911532, "2026-12-10T14:05:32+00:00"},
                      TimeCase{at(2026, 12, 10, 14, 5, 32, -18000), 1796929532, "2026-12-10T14:05:32-05:00"},
                      TimeCase{at(2026, 12, 10, 14, 5, 32, 19800), 1796891732, "2026-12-10T14:05:32+05:30"},
                      TimeCase{at(2026, 12, 10, 14, 5, 32, 20700), 1796890832, "2026-12-10T14:05:32+05:45"},
                      TimeCase{at(2028, 2, 29, 12, 0, 0, 0), 1835438400, "2028-02-29T12:00:00+00:00"},
                      TimeCase{at(2026, 12, 31, 23, 59, 59, 0), 1798761599, "2026-12-31T23:59:59+00:00"},
                      TimeCase{at(2026, 1, 1, 0, 30, 0, 3600), 1767223800, "2026-01-01T00:30:00+01:00"},
                      TimeCase{at(2000, 2, 29, 0, 0, 0, 0), 951782400, "2000-02-29T00:00:00+00:00"},
                      TimeCase{at(2100, 3, 1, 0, 0, 0, 0), 4107542400, "2100-03-01T00:00:00+00:00"},
                      TimeCase{at(1970, 1, 1, 0, 0, 0, 0), 0, "1970-01-01T00:00:00+00:00"},
                      TimeCase{at(1969, 12, 31, 23, 59, 59, 0), -1, "1969-12-31T23:59:59+00:00"}));

TEST(SampleChannels, AreNamedAfterTheModel) {
    EXPECT_EQ(channelNames(false), std::vector<std::string>({"t1"}));
    EXPECT_EQ(channelNames(true), std::vector<std::string>({"t1", "t2", "t1_t2"}));
}

struct NameCase {
    std::string name;
    std::string problem;
};

class SampleInstrumentName : public ::testing::TestWithParam<NameCase> {};

TEST_P(SampleInstrumentName, IsTakenOrRefusedWithAReason) {
    EXPECT_EQ(instrumentNameProblem(GetParam().name), GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SampleInstrumentName,
    ::testing::Values(
        NameCase{"oven", ""}, NameCase{"oven 1, a=b", ""},
        NameCase{"Ofen \xC3\xBC \xE2\x82\xAC \xF0\x9F\x94\xA5", ""}, NameCase{std::string(200, 'x'), ""},
        NameCase{"", "is empty"}, NameCase{std::string(201, 'x'), "is longer than 200 bytes"},
        NameCase{"a\\b", "has a backslash"}, NameCase{"a\"b", "has a double quote"},
        NameCase{"a\nb", "has a control character"}, NameCase{"a\tb", "has a control character"},
        NameCase{std::string("a\0b", 3), "has a control character"},
        NameCase{"a\x7F", "has a control character"}, NameCase{"a\xC3", "is not valid UTF-8"},
        NameCase{"\xC0\xAF", "is not valid UTF-8"}, NameCase{"\xED\xA0\x80", "is not valid UTF-8"},
        NameCase{"\xF4\x90\x80\x80", "is not valid UTF-8"}, NameCase{"\xFF", "is not valid UTF-8"}));

TEST(SampleTagValue, EscapesBlanksCommasAndEqualsSigns) {
    EXPECT_EQ(escapeTagValue("oven 1,a=b"), "oven\\ 1\\,a\\=b");
    EXPECT_EQ(escapeTagValue("plain"), "plain");
}

struct FormatCase {
    std::string what;
    SamplePoint point;
    std::string instrument;
    std::string lineProtocol;
    std::string csv;
};

class SampleFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(SampleFormats, WriteTheExactBytes) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(lineProtocol(c.point, c.instrument), c.lineProtocol);
    EXPECT_EQ(csvLine(c.point), c.csv);
}

const LocalDateTime kAt = at(2026, 12, 10, 14, 5, 32, 3600);

SamplePoint point(bool dual, std::string unit, std::string type, std::vector<std::string> readings) {
    return SamplePoint{kAt, dual, std::move(unit), std::move(type), std::move(readings)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SampleFormats,
    ::testing::Values(
        FormatCase{"DualMeasured", point(true, "C", "K", {"23.4", "-0.5", "23.9"}), "oven",
                   "calvex,instrument=oven,model=dual,type=K,unit=C "
                   "t1=23.4,t1_state=0i,t2=-0.5,t2_state=0i,t1_t2=23.9,t1_t2_state=0i 1796907932\n",
                   "2026-12-10 14:05:32,23.4,-0.5,23.9,C\r\n"},
        FormatCase{"DualOverUnderNone", point(true, "F", "J", {"OL", "-OL", "----"}), "oven",
                   "calvex,instrument=oven,model=dual,type=J,unit=F "
                   "t1_state=1i,t2_state=-1i,t1_t2_state=2i 1796907932\n",
                   "2026-12-10 14:05:32,OL,-OL,,F\r\n"},
        FormatCase{"Single", point(false, "K", "T", {"296.5"}), "bath",
                   "calvex,instrument=bath,model=single,type=T,unit=K t1=296.5,t1_state=0i 1796907932\n",
                   "2026-12-10 14:05:32,296.5,K\r\n"},
        FormatCase{"NameWithBlanksCommasEquals", point(false, "C", "K", {"21.0"}), "oven 1, zone=a",
                   "calvex,instrument=oven\\ 1\\,\\ zone\\=a,model=single,type=K,unit=C t1=21.0,t1_state=0i "
                   "1796907932\n",
                   "2026-12-10 14:05:32,21.0,C\r\n"},
        FormatCase{"NoTypeAndMissingReadings", point(true, "C", "", {"20.1"}), "oven",
                   "calvex,instrument=oven,model=dual,unit=C t1=20.1,t1_state=0i,t2_state=2i,t1_t2_state=2i "
                   "1796907932\n",
                   "2026-12-10 14:05:32,20.1,,,C\r\n"},
        FormatCase{"NoUnitAndMalformedReading", point(false, "", "K", {"1e5"}), "oven",
                   "calvex,instrument=oven,model=single,type=K t1_state=2i 1796907932\n",
                   "2026-12-10 14:05:32,,\r\n"},
        // A unit or type that no instrument sends still leaves one well-formed line in each format.
        FormatCase{"UnsafeUnit", point(false, "a,\"b\"\r\n", "x y", {"OL"}), "oven",
                   "calvex,instrument=oven,model=single,type=x\\ y t1_state=1i 1796907932\n",
                   "2026-12-10 14:05:32,OL,\"a,\"\"b\"\"\r\n\"\r\n"}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return info.param.what; });

TEST(SampleCsvHeader, NamesTheColumnsOfTheModel) {
    EXPECT_EQ(csvHeader(true), "time,t1,t2,t1_t2,unit\r\n");
    EXPECT_EQ(csvHeader(false), "time,t1,unit\r\n");
}

}  // namespace
}  // namespace calvex
