#pragma once

#include "platform/clock.h"

namespace calvex::test {

// A clock the test moves by hand; wall time and monotonic time advance together, and the date
// moves on at midnight.
class ManualClock : public Clock {
public:
    explicit ManualClock(LocalDateTime start = {2026, 12, 8, 14, 5, 30, 0})
        : m_wallMs(toMs(start)), m_date(start) {}

    LocalDateTime now() const override;
    std::int64_t monotonicMs() const override { return m_monotonicMs; }

    void advanceMs(std::int64_t ms) {
        m_monotonicMs += ms;
        m_wallMs += ms;
    }
    void advanceSeconds(double s) { advanceMs(static_cast<std::int64_t>(s * 1000.0)); }
    // Sets the wall clock's time of day (the date stays; monotonic time does not jump).
    void setTimeOfDay(int hour, int minute, int second, int ms = 0) {
        const std::int64_t dayMs = ((m_wallMs % 86'400'000) + 86'400'000) % 86'400'000;
        m_wallMs = m_wallMs - dayMs + ((hour * 60LL + minute) * 60 + second) * 1000 + ms;
    }

private:
    static std::int64_t toMs(const LocalDateTime& t) {
        return ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.millisecond;
    }
    std::int64_t m_monotonicMs = 1'000'000;
    std::int64_t m_wallMs;
    LocalDateTime m_date;
};

}  // namespace calvex::test
