#include "plot/plot_range_check.h"

#include "instrument/text_format.h"

namespace calvex {

PlotRangeEntry readPlotRange(const std::string& t1, const std::string& t2, const std::string& r1,
                             const std::string& r2) {
    return {leadingNumber(t1), leadingNumber(t2), leadingNumber(r1), leadingNumber(r2)};
}

std::optional<std::string> plotRangeRefusal(const Session& s, const PlotRangeEntry& e) {
    if (e.t1 < s.PlotTempLimitMin || e.t1 >= e.t2 || e.t2 > s.PlotTempLimitMax)
        return "Invalid, " + plainNumber(s.PlotTempLimitMin) +
               " <= Temperature <= " + plainNumber(s.PlotTempLimitMax);
    if (e.r1 <= 0 || e.r1 >= e.r2 || e.r2 > s.PlotRowCount)
        return "Invalid, 0 <= Records <= " + plainNumber(roundHalfEven(s.PlotRowCount));
    return std::nullopt;
}

void applyPlotRange(Session& s, const PlotRangeEntry& e) {
    s.PlotTempMin = e.t1;
    s.PlotTempMax = e.t2;
    s.PlotFirstRecord = static_cast<float>(e.r1);
    s.PlotLastRecord = static_cast<float>(e.r2);
    s.PlotRecordCount = s.PlotLastRecord - s.PlotFirstRecord + 1;
    // Typed temperatures end a fit: the axis is the user's again, labelled by eighths.
    s.plotFit.on = false;
}

bool plotRangeCharAccepted(char32_t c, bool temperature) {
    if (c >= U'0' && c <= U'9')
        return true;
    return temperature && (c == U'-' || c == U'.');
}

}  // namespace calvex
