#include "plot/plot_units.h"

namespace calvex {

namespace {

constexpr double kKelvinOffset = 273.2;

enum class Unit { C, F, K };

// The record's unit as the axis reads it: its own unit first, then the other named one, and
// whatever is left (an empty or unknown cell included) is the third.
Unit recordUnitFor(const std::string& recordUnit, Unit axis) {
    switch (axis) {
        case Unit::C:
            return recordUnit == "C" ? Unit::C : recordUnit == "F" ? Unit::F : Unit::K;
        case Unit::F:
            return recordUnit == "F" ? Unit::F : recordUnit == "C" ? Unit::C : Unit::K;
        case Unit::K:
            break;
    }
    return recordUnit == "K" ? Unit::K : recordUnit == "F" ? Unit::F : Unit::C;
}

}  // namespace

double toPlotUnit(double n, const std::string& recordUnit, const std::string& plotUnit, bool difference) {
    const Unit axis = plotUnit == "C" ? Unit::C : plotUnit == "F" ? Unit::F : Unit::K;
    const Unit from = recordUnitFor(recordUnit, axis);
    if (from == axis)
        return n;
    if (difference) {
        if (axis == Unit::F)
            return n * 9 / 5;
        return from == Unit::F ? n * 5 / 9 : n;
    }
    switch (axis) {
        case Unit::C:
            return from == Unit::F ? (n - 32) * 5 / 9 : n - kKelvinOffset;
        case Unit::F:
            return from == Unit::C ? n * 9 / 5 + 32 : (n - kKelvinOffset) * 9 / 5 + 32;
        case Unit::K:
            break;
    }
    return from == Unit::F ? (n - 32) * 5 / 9 + kKelvinOffset : n + kKelvinOffset;
}

}  // namespace calvex
