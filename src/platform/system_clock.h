#pragma once

#include <QElapsedTimer>

#include "platform/clock.h"

namespace calvex {

class SystemClock : public Clock {
public:
    SystemClock() { m_elapsed.start(); }
    LocalDateTime now() const override;
    std::int64_t monotonicMs() const override { return m_elapsed.elapsed(); }

private:
    QElapsedTimer m_elapsed;
};

}  // namespace calvex
