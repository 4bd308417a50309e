#include "stats/running_sum.h"

namespace calvex {

ReadingValue addToSum(const ReadingValue& sum, const ReadingValue& value) {
    if (sum.isText("----") || value.isText("----"))
        return "----";
    const bool high = sum.isText("OL") || value.isText("OL");
    const bool low = sum.isText("-OL") || value.isText("-OL");
    // With overloads of both signs the mean could lie anywhere, so there is no value to give.
    if (high && low)
        return "----";
    if (high)
        return "OL";
    if (low)
        return "-OL";
    return sum.number() + value.number();
}

ReadingValue averageOf(const ReadingValue& sum, long count) {
    if (sum.isText("----") || sum.isText("OL") || sum.isText("-OL"))
        return sum;
    if (count <= 0)
        return sum.number();
    return sum.number() / static_cast<double>(count);
}

}  // namespace calvex
