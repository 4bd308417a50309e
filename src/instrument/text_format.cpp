#include "instrument/text_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace calvex {

double leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t first = i;
    bool point = false;
    // Readings have a few digits: with at most 15 of them the digits are an exact integer, and one
    // division by an exact power of ten rounds to the same nearest double that from_chars finds.
    // Plotting a week of records reads millions of cells.
    std::uint64_t mantissa = 0;
    std::size_t digits = 0;
    std::size_t decimals = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++digits <= 15)
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            decimals += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return 0.0;
    if (digits <= 15) {
        static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const double value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
        return negative ? -value : value;
    }
    double value = 0.0;
    // from_chars reads "." whatever the locale; a lone trailing point is simply not consumed.
    const auto result = std::from_chars(text.data() + first, text.data() + i, value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return negative ? -value : value;
}

double roundHalfEven(double value) {
    if (!std::isfinite(value))
        return value;
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

namespace {

// The value rounded to `decimals` places, halves away from zero, on its shortest decimal form
// (the digits a user would write for it), as the display patterns round: 0.125 gives 0.13 and
// 1.7000000000000028 gives 1.7. to_chars never looks at the locale, unlike printf.
std::string printfNumber(double value, int decimals) {
    if (!std::isfinite(value))
        return "0";
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.erase(0, 1);
    const std::size_t point = text.find('.');
    std::string whole = point == std::string::npos ? text : text.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    const bool roundUp = fraction.size() > static_cast<std::size_t>(decimals) &&
                         fraction[static_cast<std::size_t>(decimals)] >= '5';
    fraction.resize(static_cast<std::size_t>(decimals), '0');
    std::string digits = whole + fraction;
    if (roundUp) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    const std::size_t wholeDigits = digits.size() - static_cast<std::size_t>(decimals);
    std::string out = digits.substr(0, wholeDigits);
    if (decimals > 0)
        out += "." + digits.substr(wholeDigits);
    // A value that rounds to zero shows without a sign.
    if (negative && out.find_first_not_of("0.") != std::string::npos)
        out.insert(out.begin(), '-');
    return out;
}

}  // namespace

std::string formatFixed1(double value) {
    return printfNumber(value, 1);
}

std::string formatUpTo2(double value) {
    std::string text = printfNumber(value, 2);
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    return text;
}

std::string formatNumber(double value, std::string_view pattern) {
    return pattern == "0.##" ? formatUpTo2(value) : formatFixed1(value);
}

std::string plainNumber(double value) {
    if (!std::isfinite(value))
        return "0";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
    std::string text(buffer, result.ptr);
    if (text.find_first_of("eE") != std::string::npos) {
        text = printfNumber(value, 2);
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return text;
}

std::string formatTimeOfDay(long long seconds) {
    long long s = seconds % 86400;
    if (s < 0)
        s += 86400;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", static_cast<int>(s / 3600),
                  static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
    return buffer;
}

std::string formatDate(int year, int month, int day) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d", year, month, day);
    return buffer;
}

std::optional<int> parseTimeOfDay(std::string_view text) {
    int fields[3] = {0, 0, 0};
    int count = 0;
    int digits = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > 2)
                return std::nullopt;
            fields[count] = fields[count] * 10 + (c - '0');
        } else if (c == ':' && digits > 0 && count < 2) {
            ++count;
            digits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (count != 2 || digits == 0)
        return std::nullopt;
    if (fields[0] > 23 || fields[1] > 59 || fields[2] > 59)
        return std::nullopt;
    return fields[0] * 3600 + fields[1] * 60 + fields[2];
}

}  // namespace calvex
