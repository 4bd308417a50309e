#pragma once

#include "platform/clock.h"

namespace calvex {

// The timed wait `Delay` (module Rs232), as a state rather than a loop: a caller starts it and
// moves on when done() says so, from its next timer tick or port event. It keeps the rule of
// the time of day: a wait whose end would fall after midnight ends at once.
class Delay {
public:
    Delay() = default;
    Delay(const Clock& clock, double seconds) : m_clock(&clock) {
        m_end = clock.secondsSinceMidnight() + seconds;
        if (m_end > 86400.0)
            m_end = seconds;
    }
    bool done() const { return m_clock == nullptr || m_clock->secondsSinceMidnight() >= m_end; }
    // Milliseconds still to wait (0 when done), for a timer that wakes the caller.
    int remainingMs() const {
        if (done())
            return 0;
        return static_cast<int>((m_end - m_clock->secondsSinceMidnight()) * 1000.0) + 1;
    }

private:
    const Clock* m_clock = nullptr;
    double m_end = 0;
};

}  // namespace calvex
