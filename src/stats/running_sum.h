#pragma once

#include "instrument/reading_value.h"

namespace calvex {

// The sum of a channel's readings since Start. A "----" reading makes the sum "----"; an overload
// makes it that overload, "OL" or "-OL", so the average keeps the side the channel went off
// the scale; overloads of both signs make it "----". None lets go until the next Start.
ReadingValue addToSum(const ReadingValue& sum, const ReadingValue& value);

// The sum over `count` ticks: the sum's marker, or the mean.
ReadingValue averageOf(const ReadingValue& sum, long count);

}  // namespace calvex
