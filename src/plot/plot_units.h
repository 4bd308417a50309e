#pragma once

#include <string>

namespace calvex {

// A record's reading in the unit of the plot's axis. `recordUnit` is the record's own unit cell,
// `plotUnit` the axis unit; an axis unit other than "C" or "F" counts as "K". A difference (T1-T2)
// is only scaled, an absolute temperature also shifted (Kelvin offset 273.2).
double toPlotUnit(double value, const std::string& recordUnit, const std::string& plotUnit, bool difference);

}  // namespace calvex
