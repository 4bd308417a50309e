#pragma once

#include <string>

#include "instrument/reading_value.h"

namespace calvex {

// The four labels of one channel's extremes, as they read on the screen.
struct MaxMinLabels {
    std::string maxTime;
    std::string minTime;
    std::string max;
    std::string min;
};

// Moves the maximum and minimum of a channel on by one reading. The extremes live only as the
// one-decimal texts shown, so a new reading is compared with what the user sees, and a reading
// equal to the extreme moves its time to `now`. `maxText` and `minText` are the texts the
// labels held before this reading.
void UpdateMaxMin(const ReadingValue& value, std::string maxText, std::string minText, MaxMinLabels& labels,
                  const std::string& now);

}  // namespace calvex
