#include "memory/start_time.h"

#include <cmath>

#include "instrument/text_format.h"

namespace calvex {

namespace {

// A field taken as a number and written with two digits: its last two digits (123 gives 23).
int lastTwoDigits(std::string_view field) {
    const double value = std::round(std::fabs(leadingNumber(field)));
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(std::fmod(value, 100.0));
}

}  // namespace

std::optional<int> parseStartTime(std::string_view answer) {
    const std::size_t first = answer.find(':');
    if (first == std::string_view::npos)
        return std::nullopt;
    const std::size_t second = answer.find(':', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;

    int hours = lastTwoDigits(answer.substr(0, first));
    int minutes = lastTwoDigits(answer.substr(first + 1, second - first - 1));
    int seconds = lastTwoDigits(answer.substr(second + 1, 2));
    if (hours >= 24)
        hours %= 24;
    if (minutes >= 60)
        minutes %= 60;
    if (seconds >= 60)
        seconds %= 60;
    return hours * 3600 + minutes * 60 + seconds;
}

}  // namespace calvex
