#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include "instrument/reading_value.h"
#include "instrument/text_format.h"

namespace calvex {
namespace {

TEST(TextFormat, LeadingNumber) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"23.4", 23.4}, {"  -12.5C", -12.5}, {"1-5", 1},   {"OL", 0},
        {"-OL", 0},     {"----", 0},         {"", 0},      {"  ", 0},
        {".5", 0.5},    {"-.25", -0.25},     {"7.", 7},    {"1.2.3", 1.2},
        {"+3", 3},      {"12:30:00", 12},    {"23,4", 23}, {"-", 0},
        {"\t9", 9},     {"1e5", 1},          {"0007", 7},  {"99999999999999999999", 1e20},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(c.text), c.value) << c.text;
}

TEST(TextFormat, LeadingNumberIsTheNearestDoubleToTheDecimal) {
    // Readings of every size and precision, and numbers too long for the quick reading.
    std::vector<std::string> texts = {"0.1",
                                      "-1357.9",
                                      "123456789012345",
                                      "1234567890123456",
                                      "0.000000000000001",
                                      "9007199254740993",
                                      "1.7976931348623157",
                                      "-0.0",
                                      "99999.99999",
                                      "4503599627370497.5"};
    for (int i = -20000; i <= 20000; i += 7) {
        texts.push_back(std::to_string(i / 10) + "." + std::to_string(std::abs(i % 10)));
        texts.push_back(std::to_string(i) + "." + std::to_string(std::abs(i) % 1000));
    }
    for (const std::string& text : texts) {
        double nearest = 0;
        std::from_chars(text.data(), text.data() + text.size(), nearest);
        EXPECT_EQ(leadingNumber(text), nearest) << text;
    }
}

TEST(TextFormat, RoundHalfEven) {
    const std::pair<double, double> cases[] = {{2.5, 2}, {3.5, 4}, {0.5, 0}, {1.5, 2},        {-2.5, -2},
                                               {2.4, 2}, {2.6, 3}, {0, 0},   {100000, 100000}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(roundHalfEven(in), out) << in;
}

TEST(TextFormat, Patterns) {
    struct Case {
        double value;
        const char* fixed1;
        const char* upTo2;
    };
    const Case cases[] = {
        {25.1, "25.1", "25.1"},
        {245, "245.0", "245."},
        {12.5, "12.5", "12.5"},
        {1.333, "1.3", "1.33"},
        {-200, "-200.0", "-200."},
        {0, "0.0", "0."},
        {0.04, "0.0", "0.04"},
        {-0.04, "0.0", "-0.04"},
        {-0.001, "0.0", "0."},
        {37.77777, "37.8", "37.78"},
        {1.7000000000000028, "1.7", "1.7"},
        {6553.5, "6553.5", "6553.5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatFixed1(c.value), c.fixed1) << c.value;
        EXPECT_EQ(formatUpTo2(c.value), c.upTo2) << c.value;
    }
    EXPECT_EQ(ReadingValue("OL").format("0.0"), "OL");
    EXPECT_EQ(ReadingValue(23.0).format("0.0"), "23.0");
    EXPECT_EQ(plainNumber(-200), "-200");
    EXPECT_EQ(plainNumber(25.5), "25.5");
    EXPECT_EQ(plainNumber(1), "1");
    EXPECT_EQ(plainNumber(864000), "864000");
}

TEST(TextFormat, TimesAndDates) {
    EXPECT_EQ(formatTimeOfDay(0), "00:00:00");
    EXPECT_EQ(formatTimeOfDay(14 * 3600 + 5 * 60 + 32), "14:05:32");
    EXPECT_EQ(formatTimeOfDay(86399 + 10), "00:00:09");
    EXPECT_EQ(formatTimeOfDay(-5), "23:59:55");
    EXPECT_EQ(formatDate(2026, 12, 8), "2026/12/08");
    EXPECT_EQ(parseTimeOfDay("14:05:32"), 14 * 3600 + 5 * 60 + 32);
    EXPECT_EQ(parseTimeOfDay("7:5:3"), 7 * 3600 + 5 * 60 + 3);
    EXPECT_FALSE(parseTimeOfDay("24:00:00"));
    EXPECT_FALSE(parseTimeOfDay("12:30"));
    EXPECT_FALSE(parseTimeOfDay("aa:bb:cc"));
}

TEST(TextFormat, LocaleNeverChangesTheTexts) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(formatFixed1(23.4), "23.4");
    EXPECT_DOUBLE_EQ(leadingNumber("23.4"), 23.4);
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace calvex
