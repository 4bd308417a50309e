#include "canvas/picture_file.h"

#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "canvas/image_canvas.h"
#include "canvas/painter_canvas.h"

namespace calvex {

namespace {

// Vector pages are laid out at the resolution images have, so a pixel of the chart is a pixel of
// the window and a text is as wide as on the screen.
int screenResolution() {
    return QImage(1, 1, QImage::Format_RGB32).logicalDpiX();
}

std::string reasonOf(const QSaveFile& file) {
    const QString reason = file.errorString();
    return reason.isEmpty() ? std::string("The file could not be written.") : reason.toStdString();
}

bool openTarget(QSaveFile& file, std::string& error) {
    if (!file.open(QIODevice::WriteOnly)) {
        error = reasonOf(file);
        return false;
    }
    return true;
}

bool commitTarget(QSaveFile& file, std::string& error) {
    if (!file.commit()) {
        error = reasonOf(file);
        return false;
    }
    return true;
}

bool drawVector(QPaintDevice& device, QSize size, const QFont& font, const ChartDrawing& draw) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    PainterCanvas canvas(painter, size.width(), size.height(), font);
    const bool drawn = draw(canvas);
    return painter.end() && drawn;
}

bool writeSvg(QSaveFile& file, QSize size, const QFont& font, const ChartDrawing& draw) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setResolution(screenResolution());
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle("Calvex chart");
    return drawVector(svg, size, font, draw);
}

bool writePdf(QSaveFile& file, QSize size, const QFont& font, const ChartDrawing& draw) {
    QPdfWriter pdf(&file);
    const int dpi = screenResolution();
    pdf.setResolution(dpi);
    pdf.setCreator("Calvex");
    // One page the size of the chart, without margins.
    const QSizeF points(size.width() * 72.0 / dpi, size.height() * 72.0 / dpi);
    pdf.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                                  QPageLayout::Portrait, QMarginsF()));
    return drawVector(pdf, size, font, draw);
}

}  // namespace

std::optional<PictureFormat> pictureFormatOf(const std::string& path) {
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix == "png")
        return PictureFormat::Png;
    if (suffix == "svg")
        return PictureFormat::Svg;
    if (suffix == "pdf")
        return PictureFormat::Pdf;
    return std::nullopt;
}

const char* pictureExtension(PictureFormat format) {
    switch (format) {
        case PictureFormat::Svg:
            return ".svg";
        case PictureFormat::Pdf:
            return ".pdf";
        case PictureFormat::Png:
            break;
    }
    return ".png";
}

std::string picturePath(const std::string& path, PictureFormat chosen) {
    if (pictureFormatOf(path))
        return path;
    return path + pictureExtension(chosen);
}

bool savePngImage(const std::string& path, const QImage& image, std::string& error) {
    QSaveFile file(QString::fromStdString(path));
    if (!openTarget(file, error))
        return false;
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        error =
            file.error() != QFileDevice::NoError ? reasonOf(file) : "The image could not be encoded as PNG.";
        return false;
    }
    return commitTarget(file, error);
}

bool saveChartPicture(const std::string& path, PictureFormat format, QSize size, const QFont& font,
                      const ChartDrawing& draw, std::string& error, const std::string& notDrawn) {
    if (format == PictureFormat::Png) {
        ImageCanvas image(font);
        image.resize(size.width(), size.height());
        image.beginBatch();
        const bool drawn = draw(image);
        image.endBatch();
        if (!drawn) {
            error = notDrawn;
            return false;
        }
        return savePngImage(path, image.image(), error);
    }
    QSaveFile file(QString::fromStdString(path));
    if (!openTarget(file, error))
        return false;
    const bool drawn =
        format == PictureFormat::Svg ? writeSvg(file, size, font, draw) : writePdf(file, size, font, draw);
    if (!drawn || file.error() != QFileDevice::NoError) {
        error = file.error() != QFileDevice::NoError ? reasonOf(file) : notDrawn;
        file.cancelWriting();
        return false;
    }
    return commitTarget(file, error);
}

}  // namespace calvex
