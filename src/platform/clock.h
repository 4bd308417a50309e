#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace calvex {

struct LocalDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    // East of UTC at this moment (the local zone's offset, summer time included).
    int utcOffsetSeconds = 0;
};

// "2026-12-09T21:13:05": a local date and time to the second, as the journal lines are dated.
inline std::string localStamp(const LocalDateTime& t) {
    char text[96];  // room for any int in every field
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

// The machine's clocks: the wall clock for the texts the user sees, a monotonic clock for waits,
// so that a wait also ends across midnight or a clock change.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
    virtual std::int64_t monotonicMs() const = 0;

    // Seconds since midnight, with the fraction.
    double secondsSinceMidnight() const {
        const LocalDateTime t = now();
        return t.hour * 3600.0 + t.minute * 60.0 + t.second + t.millisecond / 1000.0;
    }
};

}  // namespace calvex
