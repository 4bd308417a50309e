#pragma once

#include <optional>
#include <string>

#include "session/session.h"

namespace calvex {

// What the range dialog read from its four boxes.
struct PlotRangeEntry {
    double t1 = 0;
    double t2 = 0;
    double r1 = 0;
    double r2 = 0;
};

// Reads the four texts the way every typed number is read (leading number, 0 when there is none).
PlotRangeEntry readPlotRange(const std::string& t1, const std::string& t2, const std::string& r1,
                             const std::string& r2);

// The message refusing the entry, or nothing when it may be applied. Temperatures are checked
// first; the records only when the temperatures pass.
std::optional<std::string> plotRangeRefusal(const Session& session, const PlotRangeEntry& entry);

// Stores an accepted entry as the plot's range; a fitted axis is fitted no more.
void applyPlotRange(Session& session, const PlotRangeEntry& entry);

// Whether a typed printable character may go into a temperature box (digits, "-", ".") or a
// record box (digits). Backspace and Enter are handled by the dialog itself.
bool plotRangeCharAccepted(char32_t c, bool temperature);

}  // namespace calvex
