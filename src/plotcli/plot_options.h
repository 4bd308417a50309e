#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/picture_format.h"

namespace calvex {

// The picture's size: the window's smallest (frame included, which a picture has none of) up to a
// side of 8192 pixels, an image of 256 MiB.
inline constexpr int kPlotMinWidth = 400;
inline constexpr int kPlotMinHeight = 391;
inline constexpr int kPlotMaxSide = 8192;

// What calvex-plot was asked to draw.
struct PlotOptions {
    // The data files, in the order given; one at least, none of them empty.
    std::vector<std::string> inputs;
    std::string output;
    PictureFormat format = PictureFormat::Png;
    int width = 1200;
    int height = 800;
    // "C", "F" or "K": the axis unit in place of the first record's.
    std::optional<std::string> unit;
    // The range dialog's boxes as typed: TxtT1 and TxtT2, TxtR1 and TxtR2.
    std::optional<std::pair<std::string, std::string>> temperatures;
    std::optional<std::pair<std::string, std::string>> records;
    // The plot window's "Fit": the axis spans the plotted readings, on round ticks.
    bool fit = false;

    // --style report: a picture for a report (title, axis titles, dates, round ticks) rather than
    // the plot window's look.
    bool report = false;
    // --title: the report's title in place of the file names and times.
    std::optional<std::string> title;

    bool help = false;
    bool version = false;
    std::string error;  // not empty when the arguments cannot be used
};

// `arguments` without the program name.
PlotOptions parsePlotOptions(const std::vector<std::string>& arguments);
std::string plotHelp();

}  // namespace calvex
