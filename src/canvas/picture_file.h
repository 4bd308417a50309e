#pragma once

#include <QFont>
#include <QSize>
#include <functional>
#include <optional>
#include <string>

#include "canvas/canvas.h"
#include "platform/picture_format.h"

class QImage;

namespace calvex {

// The format a file name's extension names (".png", ".svg", ".pdf", in any case), if any.
std::optional<PictureFormat> pictureFormatOf(const std::string& path);
// The extension of a format, with its dot.
const char* pictureExtension(PictureFormat format);
// The name to write: `path` itself when its extension names a format, else `path` with the
// extension of `chosen` (the file dialog's filter) added.
std::string picturePath(const std::string& path, PictureFormat chosen);

// Draws a whole chart on the canvas it is given; false when it could not.
using ChartDrawing = std::function<bool(Canvas&)>;

// Each writer writes the whole file or none at all: the picture goes to a temporary file beside
// the target, which takes the target's name only once it is complete. On failure `error` says
// why, and the target is as it was.

// An image as it stands, as PNG.
bool savePngImage(const std::string& path, const QImage& image, std::string& error);
// A chart drawn by `draw` onto a page of `size` pixels: SVG or PDF as vector drawing, or PNG
// drawn onto an image of that size first. Texts are laid out in `font` as on the screen. When
// `draw` fails, `notDrawn` is the error.
bool saveChartPicture(const std::string& path, PictureFormat format, QSize size, const QFont& font,
                      const ChartDrawing& draw, std::string& error,
                      const std::string& notDrawn = "The chart could not be drawn.");

}  // namespace calvex
