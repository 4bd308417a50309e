#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "canvas/canvas.h"
#include "instrument/text_format.h"
#include "plot/plot_units.h"
#include "plot/record_fields.h"

namespace calvex {

// A curve of the stored-data plot: the list column it reads, its colour, whether it is a
// difference (T1-T2), which a change of unit only scales, and its name in a legend.
struct PlotSeries {
    int column;
    Rgb color;
    bool difference;
    const char* name;
};

// The curves of a dual-input list (T1, T2, T1-T2, unit in column 5) or of a single-input one (the
// reading, unit in column 3), in the order they are drawn.
inline std::span<const PlotSeries> plotSeries(bool dual) {
    static constexpr std::array<PlotSeries, 3> kDual{
        {{2, kBlack, false, "T1"}, {3, kBlue, false, "T2"}, {4, kRed, true, "T1-T2"}}};
    static constexpr std::array<PlotSeries, 1> kSingle{{{2, kBlack, false, "T1"}}};
    if (dual)
        return kDual;
    return kSingle;
}

inline int plotUnitColumn(bool dual) {
    return dual ? 5 : 3;
}

// A curve's cell of a record: no reading ("----" or nothing), an overload ("OL" above, "-OL"
// below), or a value in the axis unit. The marks are told apart before any number is read from
// them: the 0 of "-OL", converted, would lie above an axis wholly below zero (or below 273.2 K).
struct PlotReading {
    enum class Kind { None, Over, Under, Value };
    Kind kind = Kind::None;
    double value = 0;
};

inline PlotReading plotReading(std::string_view cell, const std::string& recordUnit,
                               const std::string& plotUnit, bool difference) {
    if (cell == "----" || cell.empty())
        return {};
    if (cell == "OL")
        return {PlotReading::Kind::Over, 0};
    if (cell == "-OL")
        return {PlotReading::Kind::Under, 0};
    return {PlotReading::Kind::Value, toPlotUnit(leadingNumber(cell), recordUnit, plotUnit, difference)};
}

// Columns 0 to 5 of a list row; a field the row does not have is empty.
using PlotRecordFields = std::array<std::string_view, 6>;

// The fields of one row, looked up once in one pass.
inline PlotRecordFields plotRecordFields(std::string_view row) {
    return fieldsOf<6>(row);
}

}  // namespace calvex
