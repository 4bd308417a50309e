#include "canvas/chart_export.h"

namespace calvex {

bool exportChartPicture(Dialogs& dialogs, const QImage& kept, const QFont& font, const ChartDrawing& draw,
                        const std::string& notDrawn) {
    const PictureChoice choice = dialogs.savePicture();
    if (choice.path.empty())
        return false;
    const std::string path = picturePath(choice.path, choice.filter);
    const PictureFormat format = pictureFormatOf(path).value_or(choice.filter);
    dialogs.setBusy(true);
    std::string error;
    const bool written = format == PictureFormat::Png
                             ? savePngImage(path, kept, error)
                             : saveChartPicture(path, format, kept.size(), font, draw, error, notDrawn);
    dialogs.setBusy(false);
    if (!written)
        dialogs.message("The picture could not be written:\n" + path + "\n\n" + error, kCriticalStop);
    return written;
}

}  // namespace calvex
