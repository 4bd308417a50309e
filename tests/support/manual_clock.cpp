#include "support/manual_clock.h"

namespace calvex::test {

LocalDateTime ManualClock::now() const {
    LocalDateTime t = m_date;
    const std::int64_t dayMs = ((m_wallMs % 86'400'000) + 86'400'000) % 86'400'000;
    t.hour = static_cast<int>(dayMs / 3'600'000);
    t.minute = static_cast<int>(dayMs / 60'000 % 60);
    t.second = static_cast<int>(dayMs / 1000 % 60);
    t.millisecond = static_cast<int>(dayMs % 1000);
    return t;
}

}  // namespace calvex::test
