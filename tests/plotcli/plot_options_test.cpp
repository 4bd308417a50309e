#include <gtest/gtest.h>

#include "plotcli/plot_options.h"

namespace calvex {
namespace {

using Pair = std::pair<std::string, std::string>;

TEST(PlotOptions, ReadsTheFileThePictureAndTheRange) {
    struct Case {
        std::vector<std::string> arguments;
        PictureFormat format;
        int width;
        int height;
        std::optional<std::string> unit;
        std::optional<Pair> temperatures;
        std::optional<Pair> records;
    };
    const auto none = std::nullopt;
    const Case cases[] = {
        {{"lab.txt", "--output", "lab.png"}, PictureFormat::Png, 1200, 800, none, none, none},
        {{"lab.txt", "-o", "lab.SVG"}, PictureFormat::Svg, 1200, 800, none, none, none},
        {{"--output=lab.pdf", "lab.txt"}, PictureFormat::Pdf, 1200, 800, none, none, none},
        {{"lab.txt", "-o", "a.png", "--size", "1920x1080"}, PictureFormat::Png, 1920, 1080, none, none, none},
        {{"lab.txt", "-o", "a.png", "--size", "400X391"}, PictureFormat::Png, 400, 391, none, none, none},
        {{"lab.txt", "-o", "a.png", "--size", "8192x8192"}, PictureFormat::Png, 8192, 8192, none, none, none},
        {{"lab.txt", "-o", "a.png", "--unit", "F"}, PictureFormat::Png, 1200, 800, "F", none, none},
        {{"lab.txt", "-o", "a.png", "--unit", "k"}, PictureFormat::Png, 1200, 800, "K", none, none},
        // A value that starts with "-" is a value, not an option.
        {{"lab.txt", "-o", "a.png", "--temperatures", "-50.5:250"},
         PictureFormat::Png,
         1200,
         800,
         none,
         Pair{"-50.5", "250"},
         none},
        // As the dialog's boxes take them: empty, or "1-5", which reads as 1.
        {{"lab.txt", "-o", "a.png", "--temperatures", ":1-5"},
         PictureFormat::Png,
         1200,
         800,
         none,
         Pair{"", "1-5"},
         none},
        {{"lab.txt", "-o", "a.png", "--records", "10:500", "--records", "20:30"},
         PictureFormat::Png,
         1200,
         800,
         none,
         none,
         Pair{"20", "30"}},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const std::string& a : c.arguments)
            joined += a + " ";
        SCOPED_TRACE(joined);
        const PlotOptions o = parsePlotOptions(c.arguments);
        ASSERT_EQ(o.error, "");
        EXPECT_EQ(o.inputs, std::vector<std::string>{"lab.txt"});
        EXPECT_EQ(o.format, c.format);
        EXPECT_EQ(o.width, c.width);
        EXPECT_EQ(o.height, c.height);
        EXPECT_EQ(o.unit, c.unit);
        EXPECT_EQ(o.temperatures, c.temperatures);
        EXPECT_EQ(o.records, c.records);
    }
}

TEST(PlotOptions, RefusesWhatCannotBeDrawnAndSaysWhy) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "no data file given"},
        {{"-o", "a.png"}, "no data file given"},
        {{"lab.txt"}, "--output OUT.png, OUT.svg or OUT.pdf is needed"},
        {{"lab.txt", "-o", "lab.jpg"}, "--output names the picture's format by its extension"},
        {{"lab.txt", "-o", "png"}, "--output names the picture's format by its extension"},
        {{"lab.txt", "", "-o", "a.png"}, "a data file's name is empty"},
        {{"lab.txt", "-o", "a.png", "--style", "fancy"}, "--style takes window or report"},
        {{"lab.txt", "-o", "a.png", "--title", "Oven"}, "--title is for --style report"},
        {{"lab.txt", "-o", "a.png", "--colour"}, "'colour'"},
        {{"lab.txt", "-o"}, "'-o'"},
        {{"lab.txt", "-o", "a.png", "--size", "399x800"},
         "--size takes WIDTHxHEIGHT in pixels, from 400x391 to 8192x8192"},
        {{"lab.txt", "-o", "a.png", "--size", "1200x390"}, "--size takes WIDTHxHEIGHT"},
        {{"lab.txt", "-o", "a.png", "--size", "8193x800"}, "--size takes WIDTHxHEIGHT"},
        {{"lab.txt", "-o", "a.png", "--size", "1200"}, "--size takes WIDTHxHEIGHT"},
        {{"lab.txt", "-o", "a.png", "--size", "+1200x800"}, "--size takes WIDTHxHEIGHT"},
        {{"lab.txt", "-o", "a.png", "--size", "1200x800x2"}, "--size takes WIDTHxHEIGHT"},
        {{"lab.txt", "-o", "a.png", "--size", "0001200x800"}, "--size takes WIDTHxHEIGHT"},
        {{"lab.txt", "-o", "a.png", "--unit", "R"}, "--unit takes C, F or K"},
        {{"lab.txt", "-o", "a.png", "--unit", ""}, "--unit takes C, F or K"},
        {{"lab.txt", "-o", "a.png", "--temperatures", "100"}, "--temperatures takes T1:T2"},
        {{"lab.txt", "-o", "a.png", "--temperatures", "1e3:2000"}, "--temperatures takes T1:T2"},
        {{"lab.txt", "-o", "a.png", "--temperatures", " 10:20"}, "--temperatures takes T1:T2"},
        {{"lab.txt", "-o", "a.png", "--temperatures", "1:2:3"}, "--temperatures takes T1:T2"},
        {{"lab.txt", "-o", "a.png", "--records", "-1:20"}, "--records takes R1:R2"},
        {{"lab.txt", "-o", "a.png", "--records", "1.5:20"}, "--records takes R1:R2"},
    };
    for (const auto& [arguments, error] : cases) {
        const PlotOptions o = parsePlotOptions(arguments);
        EXPECT_NE(o.error.find(error), std::string::npos) << error << " / " << o.error;
    }
}

TEST(PlotOptions, HelpAndVersionNeedNoFile) {
    for (const auto& [arguments, help, version] :
         {std::tuple{std::vector<std::string>{"--help"}, true, false},
          std::tuple{std::vector<std::string>{"-h"}, true, false},
          std::tuple{std::vector<std::string>{"--version"}, false, true},
          std::tuple{std::vector<std::string>{"-v"}, false, true}}) {
        const PlotOptions o = parsePlotOptions(arguments);
        EXPECT_EQ(o.error, "") << arguments[0];
        EXPECT_EQ(o.help, help) << arguments[0];
        EXPECT_EQ(o.version, version) << arguments[0];
    }
    const std::string help = plotHelp();
    for (const char* text : {"--output", "--size", "400x391", "8192x8192", "--unit", "--temperatures",
                             "--records", "Exit status"})
        EXPECT_NE(help.find(text), std::string::npos) << text;
}

}  // namespace
}  // namespace calvex
