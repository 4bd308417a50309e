#include "stats/running_sum.h"

namespace calvex {

namespace {

bool holdsOverload(const ReadingValue& value) {
    // Any text with "OL" in it counts, so "-OL" turns the sum into "OL" as well.
    return value.isText() && value.text().find("OL") != std::string::npos;
}

}  // namespace

ReadingValue addToSum(const ReadingValue& sum, const ReadingValue& value) {
    if (sum.isText("----") || value.isText("----"))
        return "----";
    if (holdsOverload(sum) || holdsOverload(value))
        return "OL";
    return sum.number() + value.number();
}

ReadingValue averageOf(const ReadingValue& sum, long count) {
    if (sum.isText("----"))
        return "----";
    if (sum.isText("OL"))
        return "OL";
    if (count <= 0)
        return sum.number();
    return sum.number() / static_cast<double>(count);
}

}  // namespace calvex
