#pragma once

#include <QFont>
#include <QImage>

#include "canvas/picture_file.h"
#include "platform/dialogs.h"

namespace calvex {

// A chart window's "Export": asks for a file (PNG, SVG or PDF, the name's extension choosing, a
// name without one taking the filter's) and writes the chart as it stands: PNG is the window's
// kept image, SVG and PDF the chart drawn again by `draw` at the image's size. A failure is shown
// with its reason (`notDrawn` when `draw` fails) and leaves no file behind. Returns whether a file
// was written.
bool exportChartPicture(Dialogs& dialogs, const QImage& kept, const QFont& font, const ChartDrawing& draw,
                        const std::string& notDrawn);

}  // namespace calvex
