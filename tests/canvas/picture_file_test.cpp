#include "canvas/picture_file.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>

#include "support/picture_checks.h"
#include "support/read_file.h"
#include "support/temp_folder.h"

namespace calvex {
namespace {

using test::TempFolder;

TEST(PictureFileTest, TheExtensionChoosesTheFormatAndANameWithoutOneGetsTheFilters) {
    struct Case {
        std::string typed;
        PictureFormat filter;
        std::string written;
        PictureFormat format;
    };
    const Case cases[] = {
        {"/tmp/chart.png", PictureFormat::Svg, "/tmp/chart.png", PictureFormat::Png},
        {"/tmp/chart.SVG", PictureFormat::Png, "/tmp/chart.SVG", PictureFormat::Svg},
        {"/tmp/chart.Pdf", PictureFormat::Png, "/tmp/chart.Pdf", PictureFormat::Pdf},
        {"/tmp/chart", PictureFormat::Svg, "/tmp/chart.svg", PictureFormat::Svg},
        {"/tmp/chart", PictureFormat::Pdf, "/tmp/chart.pdf", PictureFormat::Pdf},
        {"/tmp/run.v2/chart", PictureFormat::Png, "/tmp/run.v2/chart.png", PictureFormat::Png},
        // An extension that names no picture format is part of the name.
        {"/tmp/chart.jpg", PictureFormat::Pdf, "/tmp/chart.jpg.pdf", PictureFormat::Pdf},
    };
    for (const Case& c : cases) {
        const std::string written = picturePath(c.typed, c.filter);
        EXPECT_EQ(written, c.written) << c.typed;
        EXPECT_EQ(pictureFormatOf(written), c.format) << c.typed;
    }
    EXPECT_EQ(pictureFormatOf("/tmp/chart"), std::nullopt);
}

// A black line across the middle and a scale label.
bool drawSample(Canvas& canvas) {
    canvas.clear(kWhite);
    canvas.line(10, 50, 190, 50, kBlack, 1, LineStyle::Solid);
    canvas.drawText(20, 60, "245.", kBlue);
    return true;
}

TEST(PictureFileTest, EachFormatHoldsTheChart) {
    TempFolder folder;
    const QFont font("DejaVu Sans", 9);
    std::string error;

    const std::string png = folder.file("chart.png");
    ASSERT_TRUE(saveChartPicture(png, PictureFormat::Png, QSize(200, 100), font, drawSample, error)) << error;
    const QImage image(QString::fromStdString(png));
    EXPECT_EQ(image.size(), QSize(200, 100));
    EXPECT_EQ(image.pixel(100, 50), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(100, 40), qRgb(255, 255, 255));

    const std::string svg = folder.file("chart.svg");
    ASSERT_TRUE(saveChartPicture(svg, PictureFormat::Svg, QSize(200, 100), font, drawSample, error)) << error;
    EXPECT_EQ(test::svgTexts(svg), std::vector<std::string>{"245."});
    const std::string svgBytes = test::readFile(svg);
    EXPECT_NE(svgBytes.find("viewBox=\"0 0 200 100\""), std::string::npos);
    // Lines stay lines, not a bitmap.
    EXPECT_EQ(svgBytes.find("<image"), std::string::npos);

    const std::string pdf = folder.file("chart.pdf");
    ASSERT_TRUE(saveChartPicture(pdf, PictureFormat::Pdf, QSize(200, 100), font, drawSample, error)) << error;
    const std::string pdfBytes = test::readFile(pdf);
    EXPECT_EQ(pdfBytes.substr(0, 5), "%PDF-");
    EXPECT_EQ(test::pdfPageCount(pdfBytes), 1);
    EXPECT_EQ(pdfBytes.find("/Subtype /Image"), std::string::npos);
}

TEST(PictureFileTest, AFailedWriteLeavesNoFileAndKeepsTheOldOne) {
    TempFolder folder;
    const QFont font;
    const auto files = [&folder] {
        return std::distance(std::filesystem::directory_iterator(folder.path()),
                             std::filesystem::directory_iterator());
    };
    const auto fails = [](Canvas&) { return false; };
    for (const PictureFormat format : {PictureFormat::Png, PictureFormat::Svg, PictureFormat::Pdf}) {
        std::string error;
        const std::string missing = folder.file("no such folder") + "/chart" + pictureExtension(format);
        EXPECT_FALSE(saveChartPicture(missing, format, QSize(200, 100), font, drawSample, error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(std::filesystem::exists(missing));

        const std::string kept = folder.file(std::string("kept") + pictureExtension(format));
        TempFolder::write(kept, "earlier picture");
        error.clear();
        EXPECT_FALSE(saveChartPicture(kept, format, QSize(200, 100), font, fails, error, "not drawn"));
        EXPECT_EQ(error, "not drawn");
        EXPECT_EQ(test::readFile(kept), "earlier picture");
        // Nothing but the earlier pictures is left in the folder.
        EXPECT_EQ(files(), static_cast<long>(format) + 1);
    }
}

}  // namespace
}  // namespace calvex
