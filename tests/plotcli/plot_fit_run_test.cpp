#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "canvas/picture_file.h"
#include "platform/headless_services.h"
#include "plot_window_rig.h"
#include "plotcli/plot_options.h"
#include "plotcli/plot_run.h"
#include "support/picture_checks.h"

namespace calvex {
namespace {

using test::CapturedStream;
using test::TempFolder;

// A single-input recording of the readings given, 2 s apart, in C.
std::string recording(const std::vector<std::string>& readings) {
    std::string text;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const int seconds = 36000 + 2 * static_cast<int>(i + 1);
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
        text += std::to_string(i + 1) + "\t" + time + "\t" + readings[i] + "\tC\r\n";
    }
    return text;
}

bool contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

struct PlotFitRunTest : ::testing::Test {
    TempFolder folder;

    PlotOptions fitted(const std::vector<std::string>& readings, const std::string& picture) {
        const std::string data = folder.file("day.txt");
        TempFolder::write(data, recording(readings));
        PlotOptions o;
        o.inputs = {data};
        o.output = folder.file(picture);
        o.format = pictureFormatOf(o.output).value_or(PictureFormat::Png);
        o.fit = true;
        return o;
    }
};

TEST(PlotFitOptions, FitIsAnOptionOfItsOwnButNotWithTemperatures) {
    EXPECT_FALSE(parsePlotOptions({"lab.txt", "-o", "a.png"}).fit);
    const PlotOptions o = parsePlotOptions({"lab.txt", "-o", "a.png", "--fit", "--records", "2:9"});
    EXPECT_EQ(o.error, "");
    EXPECT_TRUE(o.fit);
    EXPECT_EQ(parsePlotOptions({"lab.txt", "-o", "a.png", "--fit", "--temperatures", "0:50"}).error,
              "--fit and --temperatures both set the axis; give one of them");
    EXPECT_NE(plotHelp().find("--fit"), std::string::npos);
}

TEST_F(PlotFitRunTest, TheSvgScaleReadsRoundNumbersAroundTheReadings) {
    // A step from 20 to 30 C, with an overload and a record without a value that the fit leaves out.
    PlotOptions o = fitted({"20.0", "20.0", "OL", "20.0", "----", "30.0", "30.0", "-OL", "30.0"}, "day.svg");
    CapturedStream errors;
    StderrDialogs shown("calvex-plot", errors.file());
    ASSERT_EQ(runPlot(o, plotWindowFont(), shown), 0) << errors.text();
    EXPECT_EQ(errors.text(), "");
    const std::vector<std::string> texts = test::svgTexts(o.output);
    for (const char* label : {"15", "20", "25", "30", "35"})
        EXPECT_TRUE(contains(texts, label)) << label;
    // Nothing of the whole span, nor of eighths.
    for (const char* label : {"-200.", "1760.", "45.", "17.5", "15.", "35."})
        EXPECT_FALSE(contains(texts, label)) << label;

    // --records narrows what is fitted: records 1 to 4 hold 20 C only.
    o.records = std::pair<std::string, std::string>{"1", "4"};
    ASSERT_EQ(runPlot(o, plotWindowFont(), shown), 0) << errors.text();
    const std::vector<std::string> narrowed = test::svgTexts(o.output);
    for (const char* label : {"19.0", "19.5", "20.0", "20.5", "21.0"})
        EXPECT_TRUE(contains(narrowed, label)) << label << " in " << ::testing::PrintToString(narrowed);
}

TEST_F(PlotFitRunTest, ThePictureHasThePixelsOfThePlotWindowAfterFit) {
    PlotOptions o = fitted({"21.3", "21.5", "21.4", "22.0", "22.6", "OL", "22.1", "21.8"}, "day.png");
    o.width = 640;
    o.height = 480;
    CapturedStream errors;
    StderrDialogs shown("calvex-plot", errors.file());
    ASSERT_EQ(runPlot(o, plotWindowFont(), shown), 0) << errors.text();

    test::PlotWindowRig calvex;
    ASSERT_FALSE(calvex.chart(o.inputs.front(), std::nullopt, {}, o.width, o.height).isNull());
    calvex.plots.plotWindow()->Toolbar1_ButtonClick("Fit");
    const QImage window = calvex.plots.plotWindow()->chartImage();
    EXPECT_TRUE(calvex.t.dialogs.messages.empty());
    const QImage picture(QString::fromStdString(o.output));
    ASSERT_EQ(picture.size(), window.size());
    EXPECT_TRUE(picture == window.convertToFormat(picture.format()));
}

TEST_F(PlotFitRunTest, WithoutReadingsTheWholeSpanIsDrawnAndStandardErrorSaysWhy) {
    PlotOptions o = fitted({"----", "OL", "-OL"}, "none.svg");
    CapturedStream errors;
    StderrDialogs shown("calvex-plot", errors.file());
    ASSERT_EQ(runPlot(o, plotWindowFont(), shown), 0);
    EXPECT_EQ(
        errors.text(),
        "calvex-plot: The plotted records hold no readings to fit the axis to; it keeps its whole span.\n");
    const std::vector<std::string> texts = test::svgTexts(o.output);
    EXPECT_TRUE(contains(texts, "-200."));
    EXPECT_TRUE(contains(texts, "1760."));
}

}  // namespace
}  // namespace calvex
