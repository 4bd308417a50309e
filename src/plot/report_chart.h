#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas/canvas.h"
#include "session/session.h"

namespace calvex {

class Grid;

// What the time axis says of a record's day.
enum class TimeDays {
    Calendar,  // the records' times are dates of the calendar: "2026-12-10"
    Counted,   // days counted from the first: "day 2", shown once the records span more than one
    None,      // times of day alone
};

// The report style's own texts and the time line of the records drawn.
struct ReportChart {
    std::string title;
    // Each record's local time in seconds from 1970-01-01 00:00 (or from the first day, for
    // counted days), by record number - 1; kNoTime for a record without one.
    std::vector<std::int64_t> seconds;
    // The records where a curve starts anew whatever the time before them (each file's first).
    std::vector<long long> breaks;
    TimeDays days = TimeDays::None;
};

// A text placed on the chart: its top-left corner and its measured size.
struct PlacedText {
    std::string text;
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// The labels under a time axis from `left` to `left + width` for the times `from` to `to`, their
// tops at `top`: a time (hh:mm, or hh:mm:ss for steps under a minute) at round times, 1 s to
// weeks apart, as close together as their measured widths allow; under the first and at each
// change of day a second line with the day. A label that would overlap the one before it, or
// leave the canvas, is left out rather than drawn over it.
std::vector<PlacedText> timeAxisLabels(const Canvas& canvas, double left, double width, double top,
                                       std::int64_t from, std::int64_t to, TimeDays days);

// The times of the ticks timeAxisLabels labels (every tick gets a vertical grid line).
std::vector<std::int64_t> timeAxisTicks(const Canvas& canvas, double width, std::int64_t from,
                                        std::int64_t to, TimeDays days);

// The temperature axis's title: "Temperature (°C)", "Temperature (°F)", "Temperature (K)".
std::string temperatureAxisTitle(const std::string& unit);

// A date and time as the report writes it: "2026-12-10 14:05:32", "day 2 14:05:32", "14:05:32".
std::string reportTime(std::int64_t seconds, TimeDays days, bool withDay);

// The title a report gets unless one is given: the file name(s) and the first and last record's
// date and time, "lab.txt, 2026-12-10 10:00:01 to 2026-12-10 12:00:00"; several files are named
// by the first and last and their count.
std::string defaultReportTitle(const std::vector<std::string>& names, std::int64_t first, std::int64_t last,
                               TimeDays days);

// The records PlotFirstRecord to PlotLastRecord of a list's grid as a chart for a report, on a
// canvas of `width` x `height`: the title; "Temperature (unit)" and the legend above the chart;
// round ticks from PlotTempMin to PlotTempMax in PlotUnit; the records at their times on a time
// axis titled "Time", with dated labels; grid lines under the curves. A curve breaks at a record
// without a value ("----"), one without a time, at each of `chart.breaks`, and where the time
// jumps by more than three times the records' usual spacing. "OL" and values above the axis lie on
// its top edge, "-OL" and values below on its bottom edge. Returns false when the grid does not
// hold the records.
bool drawReportChart(const Session& session, Canvas& canvas, int width, int height, const Grid& grid,
                     bool dual, const ReportChart& chart);

}  // namespace calvex
