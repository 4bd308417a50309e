#pragma once

#include <cmath>
#include <fstream>
#include <string>

#include "instrument/text_format.h"

namespace calvex::bench {

// The two sizes the data benchmarks run at: the real-time list's limit, and a week recorded at
// one record a second.
inline constexpr long kListRecords = 58300;
inline constexpr long kWeekRecords = 604800;

// Record i of a dual recording (1-based), as a list row: two probes warming and cooling slowly,
// with noise on every reading (so hardly two plotted segments are alike), now and then an overload
// or a blank reading, one record every second.
inline std::string dualRecord(long i) {
    const double t1 = 400 + 300 * std::sin(i / 900.0) + 15 * std::sin(i * 1.7);
    const double t2 = 380 + 250 * std::sin(i / 700.0 + 1) + 10 * std::cos(i * 2.3);
    const std::string a = i % 5000 == 17 ? "OL" : formatFixed1(t1);
    const std::string b = i % 7000 == 33 ? "----" : formatFixed1(t2);
    return std::to_string(i) + "\t" + formatTimeOfDay((36000 + i) % 86400) + "\t" + a + "\t" + b + "\t" +
           formatFixed1(t1 - t2) + "\tC";
}

// A dual data file of `records` recording lines; false when it could not be written.
inline bool writeDualFile(const std::string& path, long records) {
    std::ofstream out(path, std::ios::binary);
    for (long i = 1; i <= records; ++i)
        out << dualRecord(i) << "\r\n";
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace calvex::bench
