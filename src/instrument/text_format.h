#pragma once

#include <optional>
#include <string>
#include <string_view>

// Number and time texts used throughout the program. They never depend on the locale:
// the decimal point is always ".", times are 24-hour.
namespace calvex {

// The number at the start of a text: leading blanks skipped, then a sign, digits and one
// decimal point up to the first other character. A text without a number there gives 0.
double leadingNumber(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// "0.0": at least one digit before the point, exactly one after.
std::string formatFixed1(double value);
// "0.##": at most two decimals, trailing zeros dropped, the point kept (245 -> "245.").
std::string formatUpTo2(double value);
// Formats with one of the two patterns above ("0.0" or "0.##").
std::string formatNumber(double value, std::string_view pattern);
// Plain decimal: whole numbers without a point, others with their significant decimals (25.5, -200, 1).
std::string plainNumber(double value);

// Seconds since midnight (any value, wrapped into one day) as "hh:mm:ss".
std::string formatTimeOfDay(long long seconds);
// "yyyy/mm/dd".
std::string formatDate(int year, int month, int day);
// Reads "h:m:s" (each field a whole number, 0..23 / 0..59 / 0..59) into seconds since midnight.
std::optional<int> parseTimeOfDay(std::string_view text);

}  // namespace calvex
