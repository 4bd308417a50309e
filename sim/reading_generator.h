#pragma once

#include <cstdint>
#include <random>

#include "instrument_types.h"

namespace calvex::sim {

// Readings for channels that have no fixed value: slow sine waves around room temperature
// (T1 about 22 C +- 3 C over 2 minutes, T2 about 24.5 C +- 2 C over 90 s) with a jitter of up to
// one tenth, converted to the unit shown. The seed sets the phases and the jitter sequence.
class ReadingGenerator {
public:
    explicit ReadingGenerator(std::uint32_t seed);

    // channel is 1 or 2.
    Reading reading(int channel, Time at, Unit unit);

    static double convert_from_celsius(double celsius, Unit unit);

private:
    std::mt19937 random_;
    double phase1_;
    double phase2_;
};

}  // namespace calvex::sim
