#include "platform/system_clock.h"

#include <QDateTime>

namespace calvex {

LocalDateTime SystemClock::now() const {
    const QDateTime t = QDateTime::currentDateTime();
    const QDate d = t.date();
    const QTime tm = t.time();
    return {d.year(), d.month(), d.day(), tm.hour(), tm.minute(), tm.second(), tm.msec(), t.offsetFromUtc()};
}

}  // namespace calvex
