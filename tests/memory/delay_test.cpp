#include <gtest/gtest.h>

#include "memory/delay.h"
#include "support/manual_clock.h"

namespace calvex {
namespace {

TEST(Delay, EndsAfterItsTimeAndAtOnceWhenItWouldCrossMidnight) {
    struct Case {
        int startMsOfDay;
        double seconds;
        int msToDone;  // 0: done at once
    };
    const Case cases[] = {
        {12 * 3600'000, 0.5, 500},   {12 * 3600'000, 0.2, 200},
        {86400'000 - 200, 0.5, 0},  // 0.2 s before midnight: returns at once
        {86400'000 - 600, 0.5, 500}, {100, 0.02, 20},
    };
    for (const Case& c : cases) {
        test::ManualClock clock;
        clock.setTimeOfDay(0, 0, 0, 0);
        clock.advanceMs(c.startMsOfDay);
        const Delay delay(clock, c.seconds);
        if (c.msToDone == 0) {
            EXPECT_TRUE(delay.done()) << c.startMsOfDay;
            continue;
        }
        clock.advanceMs(c.msToDone - 1);
        EXPECT_FALSE(delay.done()) << c.startMsOfDay;
        clock.advanceMs(2);
        EXPECT_TRUE(delay.done()) << c.startMsOfDay;
    }
}

}  // namespace
}  // namespace calvex
