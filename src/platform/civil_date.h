#pragma once

#include <cstdint>
#include <limits>

namespace calvex {

// A moment without a time: a record whose time field holds none.
inline constexpr std::int64_t kNoTime = std::numeric_limits<std::int64_t>::min();

// a / b rounded towards minus infinity (b > 0): the day of a moment before 1970 too.
inline constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// A date of the proleptic Gregorian calendar.
struct CivilDate {
    std::int64_t year = 1970;
    int month = 1;
    int day = 1;
};

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar. Counting in 400-year eras
// that start on March 1st puts the leap day at the end of each year, so no table is needed; 64-bit
// arithmetic keeps any field values defined.
inline std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The date `days` after 1970-01-01: daysFromCivil the other way round.
inline CivilDate civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    const int month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// Whether year, month and day name a day of the calendar.
inline bool isCivilDate(std::int64_t year, int month, int day) {
    if (month < 1 || month > 12 || day < 1)
        return false;
    const CivilDate back = civilFromDays(daysFromCivil(year, month, day));
    return back.year == year && back.month == month && back.day == day;
}

}  // namespace calvex
