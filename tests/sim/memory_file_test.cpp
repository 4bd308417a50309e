#include "memory_file.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "sim_error.h"

namespace calvex::sim {
namespace {

TEST(MemoryFile, ParsesSetsRecordsAndComments) {
    const std::vector<LoggingSet> sets = MemoryFile::parse(
        "# two runs\n"
        "\n"
        "set 10 dual C K   # first\n"
        "25.1 ----\n"
        "  -5.3\t100  \n"
        "OL -OL\n"
        "SET 60 Single f j\r\n"
        "77.2\r\n"
        "----");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0], (LoggingSet{10,
                                   Model::Dual,
                                   Unit::Celsius,
                                   ThermocoupleType::K,
                                   {{Reading::value(251), Reading::no_value()},
                                    {Reading::value(-53), Reading::value(1000)},
                                    {Reading::overload(), Reading::negative_overload()}}}));
    EXPECT_EQ(sets[1].sampling_seconds, 60);
    EXPECT_EQ(sets[1].model, Model::Single);
    EXPECT_EQ(sets[1].unit, Unit::Fahrenheit);
    EXPECT_EQ(sets[1].type, ThermocoupleType::J);
    ASSERT_EQ(sets[1].records.size(), 2u);
    EXPECT_EQ(sets[1].records[0].t1, Reading::value(772));
    EXPECT_EQ(sets[1].records[1].t1, Reading::no_value());
}

TEST(MemoryFile, EmptyTextAndEmptySets) {
    EXPECT_TRUE(MemoryFile::parse("").empty());
    EXPECT_TRUE(MemoryFile::parse("# nothing\n\n").empty());
    const std::vector<LoggingSet> sets = MemoryFile::parse("set 1 dual C K\nset 2 single K N\n");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_TRUE(sets[0].records.empty());
    EXPECT_EQ(MemoryStore::build(sets).bytes_used(), 2u + 5u + 5u);
}

struct BadFile {
    std::string text;
    std::string message;
};

void PrintTo(const BadFile& c, std::ostream* out) {
    *out << testing::PrintToString(c.text);
}

class MalformedMemoryFile : public testing::TestWithParam<BadFile> {};

TEST_P(MalformedMemoryFile, GivesAClearErrorWithTheLine) {
    try {
        MemoryFile::parse(GetParam().text);
        FAIL() << "accepted: " << GetParam().text;
    } catch (const SimError& error) {
        EXPECT_EQ(std::string(error.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MalformedMemoryFile,
    testing::Values(
        BadFile{"25.1 24.9\n", "line 1: a record before the first 'set' line"},
        BadFile{"# c\nset 10 dual C\n",
                "line 2: a set needs: SECONDS MODEL UNIT TYPE (for example: set 10 dual C K)"},
        BadFile{"set 0 dual C K\n", "line 1: bad sampling time '0' (whole seconds 1..255)"},
        BadFile{"set 256 dual C K\n", "line 1: bad sampling time '256' (whole seconds 1..255)"},
        BadFile{"set ten dual C K\n", "line 1: bad sampling time 'ten' (whole seconds 1..255)"},
        BadFile{"set 10 triple C K\n", "line 1: bad model 'triple' (use dual or single)"},
        BadFile{"set 10 dual X K\n", "line 1: bad unit 'X' (use C, F or K)"},
        BadFile{"set 10 dual C Q\n", "line 1: bad thermocouple type 'Q' (use K, J, E, T, R, S or N)"},
        BadFile{"set 10 dual C K\n25.1\n", "line 2: a record of a dual set needs 2 readings, got 1"},
        BadFile{"set 10 single C K\n1 2\n", "line 2: a record of a single set needs 1 reading, got 2"},
        BadFile{"set 10 dual C K\n1 2\n1 2 3\n", "line 3: a record of a dual set needs 2 readings, got 3"},
        BadFile{"set 10 dual C K\n25.1 hot\n",
                "line 2: bad reading 'hot' (use a number such as 25.1, or OL, -OL, ----)"},
        BadFile{"set 10 dual C K\n7000 1\n", "line 2: reading '7000' is out of range (-6553.5 .. 6553.5)"},
        BadFile{std::string("set 10 dual C K\n\x01\x02 1\n"),
                "line 2: bad reading '\x01\x02' (use a number such as 25.1, or OL, -OL, ----)"}),
    [](const testing::TestParamInfo<BadFile>& param_info) {
        return "Case" + std::to_string(param_info.index);
    });

TEST(MemoryFile, SetArgument) {
    const LoggingSet set = MemoryFile::parse_set_argument("10 dual C K: 25.1 24.9, 25.3 ----,OL -OL");
    EXPECT_EQ(set, (LoggingSet{10,
                               Model::Dual,
                               Unit::Celsius,
                               ThermocoupleType::K,
                               {{Reading::value(251), Reading::value(249)},
                                {Reading::value(253), Reading::no_value()},
                                {Reading::overload(), Reading::negative_overload()}}}));
    EXPECT_EQ(MemoryFile::parse_set_argument("set 5 single K R: -1, 2").records.size(), 2u);
    EXPECT_TRUE(MemoryFile::parse_set_argument("5 single K R").records.empty());
    EXPECT_TRUE(MemoryFile::parse_set_argument("5 single K R:  ").records.empty());
}

TEST(MemoryFile, SetArgumentErrors) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "a set needs: SECONDS MODEL UNIT TYPE (for example: set 10 dual C K)"},
        {"10 dual C K: 1 2, 3", "record 2: a record of a dual set needs 2 readings, got 1"},
        {"10 dual C K: 1 2,, 3 4", "record 2: a record of a dual set needs 2 readings, got 0"},
        {"10 single C K: x", "record 1: bad reading 'x' (use a number such as 25.1, or OL, -OL, ----)"},
    };
    for (const auto& [text, message] : cases) {
        try {
            MemoryFile::parse_set_argument(text);
            FAIL() << "accepted: " << text;
        } catch (const SimError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
}

}  // namespace
}  // namespace calvex::sim
