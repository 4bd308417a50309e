#include "support/manual_clock.h"

namespace calvex::test {

namespace {

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, LocalDateTime& t) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = static_cast<int>(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    t.day = doy - (153 * mp + 2) / 5 + 1;
    t.month = mp < 10 ? mp + 3 : mp - 9;
    t.year = static_cast<int>(yoe + era * 400) + (t.month <= 2);
}

}  // namespace

// The date moves on at midnight.
LocalDateTime ManualClock::now() const {
    LocalDateTime t = m_date;
    const std::int64_t dayMs = ((m_wallMs % 86'400'000) + 86'400'000) % 86'400'000;
    const std::int64_t days = (m_wallMs - dayMs) / 86'400'000;
    if (days != 0)
        civilFromDays(daysFromCivil(m_date.year, m_date.month, m_date.day) + days, t);
    t.hour = static_cast<int>(dayMs / 3'600'000);
    t.minute = static_cast<int>(dayMs / 60'000 % 60);
    t.second = static_cast<int>(dayMs / 1000 % 60);
    t.millisecond = static_cast<int>(dayMs % 1000);
    return t;
}

}  // namespace calvex::test
