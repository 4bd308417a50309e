#pragma once

#include <string>

namespace calvex {

// The picture files a chart is written to: a bitmap, or a vector document whose lines and texts
// stay lines and texts.
enum class PictureFormat { Png, Svg, Pdf };

// What the picture save dialog returned: the chosen file, and the format of the filter it was
// chosen under. An empty path is a cancelled dialog.
struct PictureChoice {
    std::string path;
    PictureFormat filter = PictureFormat::Png;
};

}  // namespace calvex
