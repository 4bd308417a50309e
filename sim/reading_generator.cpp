#include "reading_generator.h"

#include <cmath>
#include <numbers>

namespace calvex::sim {

ReadingGenerator::ReadingGenerator(std::uint32_t seed) : random_(seed) {
    std::uniform_real_distribution<double> phase(0.0, 2.0 * std::numbers::pi);
    phase1_ = phase(random_);
    phase2_ = phase(random_);
}

double ReadingGenerator::convert_from_celsius(double celsius, Unit unit) {
    switch (unit) {
        case Unit::Fahrenheit:
            return celsius * 9.0 / 5.0 + 32.0;
        case Unit::Kelvin:
            return celsius + 273.15;
        case Unit::Celsius:
            break;
    }
    return celsius;
}

Reading ReadingGenerator::reading(int channel, Time at, Unit unit) {
    const double seconds = std::chrono::duration<double>(at).count();
    const double celsius = channel == 1
                               ? 22.0 + 3.0 * std::sin(2.0 * std::numbers::pi * seconds / 120.0 + phase1_)
                               : 24.5 + 2.0 * std::sin(2.0 * std::numbers::pi * seconds / 90.0 + phase2_);
    std::uniform_int_distribution<int> jitter(-1, 1);
    const double tenths = std::round(convert_from_celsius(celsius, unit) * 10.0) + jitter(random_);
    return Reading::value(static_cast<std::int32_t>(tenths));
}

}  // namespace calvex::sim
