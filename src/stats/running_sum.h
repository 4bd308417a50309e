#pragma once

#include "instrument/reading_value.h"

namespace calvex {

// The sum of a channel's readings since Start. A "----" reading makes the sum "----" and an
// overload of either sign makes it "OL", and neither lets go until the next Start.
ReadingValue addToSum(const ReadingValue& sum, const ReadingValue& value);

// The sum over `count` ticks: the sum's marker, or the mean.
ReadingValue averageOf(const ReadingValue& sum, long count);

}  // namespace calvex
