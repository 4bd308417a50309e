#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace calvex {

// Paces a progress text that changes once per record: a person reads at most about twenty texts
// a second, and every caption change is a trip to the window system, so a long list would spend
// most of its time retitling its window. The first text is always due; after that one is due when
// the last shown one is at least kIntervalMs old. What the caption shows at the end of the work
// is set by the caller, unpaced.
class ProgressThrottle {
public:
    static constexpr std::int64_t kIntervalMs = 50;

    explicit ProgressThrottle(const Clock& clock) : m_clock(clock) {}

    // Whether the text of this step should be shown; when it is, the interval starts again.
    bool due() {
        const std::int64_t now = m_clock.monotonicMs();
        if (m_anyShown && now - m_shownAt < kIntervalMs)
            return false;
        m_anyShown = true;
        m_shownAt = now;
        return true;
    }

private:
    const Clock& m_clock;
    bool m_anyShown = false;
    std::int64_t m_shownAt = 0;
};

}  // namespace calvex
