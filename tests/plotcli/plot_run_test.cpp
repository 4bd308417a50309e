#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <filesystem>
#include <fstream>
#include <thread>

#include "canvas/picture_file.h"
#include "platform/headless_services.h"
#include "plot_window_rig.h"
#include "plotcli/plot_run.h"
#include "support/picture_checks.h"
#include "support/read_file.h"

namespace calvex {
namespace {

using test::CapturedStream;
using test::TempFolder;
using test::TypedRange;
using Pair = std::pair<std::string, std::string>;

struct PlotRunTest : ::testing::Test {
    TempFolder folder;

    std::string dataFile(const std::string& name, bool dual, int records, const std::string& unit) {
        const std::string path = folder.file(name);
        TempFolder::write(path, test::dataFileText(dual, records, unit));
        return path;
    }
    static PlotOptions options(const std::string& input, const std::string& output) {
        PlotOptions o;
        o.inputs = {input};
        o.output = output;
        o.format = pictureFormatOf(output).value_or(PictureFormat::Png);
        return o;
    }
};

TEST_F(PlotRunTest, ThePictureHasThePixelsOfThePlotWindowAtThatSize) {
    struct Case {
        bool dual;
        int records;
        std::string fileUnit;
        std::optional<std::string> unit;
        TypedRange range;
        int width;
        int height;
    };
    const Case cases[] = {
        {true, 120, "C", std::nullopt, {Pair{"-50", "300"}, Pair{"10", "110"}}, 900, 600},
        {false, 60, "F", std::nullopt, {std::nullopt, Pair{"5", "60"}}, 1200, 800},
        {true, 80, "C", "K", {Pair{"250", "600.5"}, std::nullopt}, 400, 391},
        {true, 12, "F", "C", {}, 1000, 700},
        // A single record is plotted whole; the range dialog would not take a range of one.
        {false, 1, "C", std::nullopt, {}, 640, 480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.records) + (c.dual ? " dual " : " single ") + c.fileUnit + " " +
                     std::to_string(c.width) + "x" + std::to_string(c.height));
        const std::string data = dataFile("data.txt", c.dual, c.records, c.fileUnit);
        const std::string png = folder.file("plot.png");
        std::filesystem::remove(png);
        PlotOptions o = options(data, png);
        o.unit = c.unit;
        o.temperatures = c.range.temperatures;
        o.records = c.range.records;
        o.width = c.width;
        o.height = c.height;
        CapturedStream errors;
        StderrDialogs dialogs("calvex-plot", errors.file());
        ASSERT_EQ(runPlot(o, plotWindowFont(), dialogs), 0) << errors.text();
        EXPECT_EQ(errors.text(), "");

        test::PlotWindowRig calvex;
        const QImage window = calvex.chart(data, c.unit, c.range, c.width, c.height);
        ASSERT_FALSE(window.isNull());
        EXPECT_TRUE(calvex.t.dialogs.messages.empty());
        const QImage picture(QString::fromStdString(png));
        ASSERT_EQ(picture.size(), QSize(c.width, c.height));
        EXPECT_TRUE(picture == window.convertToFormat(picture.format()));
    }
}

// An SVG page as it shows at its own size, on white.
QImage svgPixels(const std::string& path, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QSvgRenderer svg(QString::fromStdString(path));
    QPainter painter(&image);
    svg.render(&painter);
    return image;
}

// Records 11 to 20 of 30 have no value in any channel; the others read T1 110, T2 60, T1-T2 40 C.
// Every picture of the plot shows the curves broken there, with nothing at the top of the scale.
TEST_F(PlotRunTest, ARecordWithoutAValueIsAGapInEveryPicture) {
    std::string text;
    for (int i = 1; i <= 30; ++i) {
        const bool silent = i >= 11 && i <= 20;
        text += std::to_string(i) + "\t10:00:" + (i < 10 ? "0" : "") + std::to_string(i) + "\t" +
                (silent ? "----\t----\t----" : "110.0\t60.0\t40.0") + "\tC\r\n";
    }
    const std::string data = folder.file("silent.txt");
    TempFolder::write(data, text);
    const QSize size(400, 391);
    const Pair scale{"0", "200"};
    auto drawn = [&](const std::string& output) {
        PlotOptions o = options(data, output);
        o.temperatures = scale;
        o.width = size.width();
        o.height = size.height();
        CapturedStream errors;
        StderrDialogs dialogs("calvex-plot", errors.file());
        EXPECT_EQ(runPlot(o, plotWindowFont(), dialogs), 0) << errors.text();
        EXPECT_EQ(errors.text(), "");
        return output;
    };
    test::PlotWindowRig calvex;
    const QImage window =
        calvex.chart(data, std::nullopt, {scale, std::nullopt}, size.width(), size.height());
    ListPlot1* plot = calvex.plots.plotWindow();
    ASSERT_NE(plot, nullptr);
    plot->Toolbar1_ButtonClick("Print");
    ASSERT_EQ(calvex.t.printer.images.size(), 1u);
    calvex.t.dialogs.pictureAnswers.push_back({folder.file("exported.svg"), PictureFormat::Svg});
    plot->Toolbar1_ButtonClick("Export");
    EXPECT_TRUE(calvex.t.dialogs.messages.empty());

    const std::pair<const char*, QImage> pictures[] = {
        {"calvex-plot PNG", QImage(QString::fromStdString(drawn(folder.file("plot.png"))))},
        {"calvex-plot SVG", svgPixels(drawn(folder.file("plot.svg")), size)},
        {"window", window},
        {"window Print", calvex.t.printer.images[0]},
        {"window Export SVG", svgPixels(folder.file("exported.svg"), size)},
    };
    // The records stand 11 px apart from x = 60; baseline 364, scale 291 px high: T1 at y 204, T2 at
    // 276.7, T1-T2 at 305.8. The dotted grid is light grey; a curve's ink is black, blue or red.
    for (const auto& [name, image] : pictures) {
        SCOPED_TRACE(name);
        ASSERT_EQ(image.size(), size);
        auto ink = [&image](int fromX, int toX, int fromY, int toY) {
            int count = 0;
            for (int x = fromX; x <= toX; ++x)
                for (int y = fromY; y <= toY; ++y) {
                    const QRgb p = image.pixel(x, y);
                    if (std::min({qRed(p), qGreen(p), qBlue(p)}) < 140)
                        ++count;
                }
            return count;
        };
        // Between record 10 (x 159) and record 21 (x 280), from above the top of the scale to just
        // over the baseline, nothing.
        EXPECT_EQ(ink(162, 277, 40, 361), 0);
        // The curves run before the gap and after it.
        for (const int y : {204, 277, 306}) {
            EXPECT_GT(ink(62, 157, y - 2, y + 2), 80) << y;
            EXPECT_GT(ink(283, 370, y - 2, y + 2), 80) << y;
        }
    }
}

TEST_F(PlotRunTest, VectorPicturesHoldTheRangesTextsAndComeWhole) {
    const std::string data = dataFile("data.txt", true, 40, "C");
    PlotOptions o = options(data, folder.file("plot.svg"));
    o.temperatures = Pair{"0", "400"};
    o.records = Pair{"11", "40"};
    CapturedStream errors;
    StderrDialogs shown("calvex-plot", errors.file());
    ASSERT_EQ(runPlot(o, plotWindowFont(), shown), 0) << errors.text();
    const std::vector<std::string> texts = test::svgTexts(o.output);
    // The scale from 0 to 400 in eighths, and the times of the first and the last record plotted.
    for (const char* text : {"0.", "50.", "200.", "400.", "C", "T1", "T2", "T1-T2", "10:00:22", "10:01:20"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "1760."), texts.end());

    o.output = folder.file("plot.pdf");
    o.format = PictureFormat::Pdf;
    ASSERT_EQ(runPlot(o, plotWindowFont(), shown), 0) << errors.text();
    const std::string pdf = test::readFile(o.output);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_EQ(test::pdfPageCount(pdf), 1);
}

TEST_F(PlotRunTest, ARangeTheDialogRefusesIsRefusedWithItsMessage) {
    struct Case {
        std::string fileUnit;
        std::optional<std::string> unit;
        std::optional<Pair> temperatures;
        std::optional<Pair> records;
        std::string message;  // empty: accepted
    };
    const Case cases[] = {
        {"C", std::nullopt, Pair{"-201", "100"}, std::nullopt, "Invalid, -200 <= Temperature <= 1760"},
        {"C", std::nullopt, Pair{"100", "100"}, std::nullopt, "Invalid, -200 <= Temperature <= 1760"},
        {"C", std::nullopt, Pair{"0", "1760.5"}, std::nullopt, "Invalid, -200 <= Temperature <= 1760"},
        {"C", "F", Pair{"0", "2001"}, std::nullopt, "Invalid, -328 <= Temperature <= 2000"},
        {"F", "K", Pair{"-1", "300"}, std::nullopt, "Invalid, 0 <= Temperature <= 2000"},
        // On a K axis 0 is the lowest; "1-5" reads as 1 and an empty box as 0, as in the dialog.
        {"C", "K", Pair{"", "1-5"}, std::nullopt, ""},
        {"F", std::nullopt, Pair{"-328", "2000"}, std::nullopt, ""},
        {"C", std::nullopt, std::nullopt, Pair{"0", "10"}, "Invalid, 0 <= Records <= 30"},
        {"C", std::nullopt, std::nullopt, Pair{"10", "10"}, "Invalid, 0 <= Records <= 30"},
        {"C", std::nullopt, std::nullopt, Pair{"5", "31"}, "Invalid, 0 <= Records <= 30"},
        {"C", std::nullopt, std::nullopt, Pair{"", "30"}, "Invalid, 0 <= Records <= 30"},
        {"C", std::nullopt, std::nullopt, Pair{"29", "30"}, ""},
        // The temperatures are checked first; the records only once they pass.
        {"C", std::nullopt, Pair{"5", "1"}, Pair{"0", "99"}, "Invalid, -200 <= Temperature <= 1760"},
        {"C", std::nullopt, Pair{"1", "5"}, Pair{"0", "99"}, "Invalid, 0 <= Records <= 30"},
        // The unit's span stands for the temperatures not given: here K 0 to 2000.
        {"C", "K", std::nullopt, Pair{"1", "30"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.empty() ? "accepted" : c.message);
        const std::string data = dataFile("data.txt", true, 30, c.fileUnit);
        const std::string png = folder.file("plot.png");
        std::filesystem::remove(png);
        PlotOptions o = options(data, png);
        o.unit = c.unit;
        o.temperatures = c.temperatures;
        o.records = c.records;
        CapturedStream errors;
        StderrDialogs dialogs("calvex-plot", errors.file());
        const int status = runPlot(o, plotWindowFont(), dialogs);
        if (c.message.empty()) {
            EXPECT_EQ(status, 0);
            EXPECT_EQ(errors.text(), "");
            EXPECT_TRUE(std::filesystem::exists(png));
        } else {
            EXPECT_EQ(status, 2);
            EXPECT_EQ(errors.text(), "calvex-plot: " + c.message + "\n");
            EXPECT_FALSE(std::filesystem::exists(png));
        }
    }
}

TEST_F(PlotRunTest, AFileThatCannotBeReadOrWrittenEndsWithStatus1AndSaysWhy) {
    const std::string data = dataFile("data.txt", true, 20, "C");
    const std::string empty = folder.file("empty.txt");
    TempFolder::write(empty, "");
    std::filesystem::create_directories(folder.file("folder.txt"));
    std::filesystem::create_directories(folder.file("taken.png"));
    const std::string png = dataFile("data.png", true, 20, "C");
    struct Case {
        std::string input;
        std::string output;
        std::string message;  // the start of what standard error says
    };
    const Case cases[] = {
        {folder.file("missing.txt"), folder.file("a.png"),
         "calvex-plot: The file could not be opened: " + folder.file("missing.txt") + ": No such file"},
        {folder.file("folder.txt"), folder.file("a.png"),
         "calvex-plot: The file could not be opened: " + folder.file("folder.txt") + ": It is"},
        {empty, folder.file("a.png"), "calvex-plot: The file holds no records: " + empty},
        {data, folder.file("no folder/a.png"),
         "calvex-plot: The picture could not be written: " + folder.file("no folder/a.png") + ": "},
        {data, folder.file("taken.png"),
         "calvex-plot: The picture could not be written: " + folder.file("taken.png")},
        {data, folder.file("no folder/a.svg"), "calvex-plot: The picture could not be written: "},
        {data, folder.file("no folder/a.pdf"), "calvex-plot: The picture could not be written: "},
        // A data file named like a picture is never drawn over.
        {png, png, "calvex-plot: The picture would replace the data file it is drawn from: " + png},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input + " -> " + c.output);
        const std::string before = test::readFile(png);
        CapturedStream errors;
        StderrDialogs dialogs("calvex-plot", errors.file());
        EXPECT_EQ(runPlot(options(c.input, c.output), plotWindowFont(), dialogs), 1);
        EXPECT_EQ(errors.text().rfind(c.message, 0), 0u) << errors.text();
        EXPECT_EQ(errors.text().back(), '\n');
        if (c.output != png && !std::filesystem::is_directory(c.output)) {
            EXPECT_FALSE(std::filesystem::exists(c.output));
        }
        EXPECT_EQ(test::readFile(png), before);
    }
    // Nothing half-written is left beside the pictures either: the folder holds what the test made.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 5);
}

TEST_F(PlotRunTest, AReasonIsSaidOnceOnStandardError) {
    const std::string data = dataFile("data.txt", true, 20, "C");
    struct Case {
        std::string input;
        std::string output;
        std::string line;  // all that standard error says
    };
    const Case cases[] = {
        {folder.file("missing.txt"), folder.file("a.png"),
         "calvex-plot: The file could not be opened: " + folder.file("missing.txt") +
             ": No such file or directory\n"},
        {folder.path().string(), folder.file("a.png"),
         "calvex-plot: The file could not be opened: " + folder.path().string() +
             ": It is a folder, not a data file.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        CapturedStream errors;
        StderrDialogs dialogs("calvex-plot", errors.file());
        EXPECT_EQ(runPlot(options(c.input, c.output), plotWindowFont(), dialogs), 1);
        EXPECT_EQ(errors.text(), c.line);
    }
    // Details that the text does not hold yet still follow it.
    CapturedStream errors;
    StderrDialogs dialogs("calvex-plot", errors.file());
    dialogs.message("No device found, try again!", 16, "No such file or directory", "");
    dialogs.message("The file could not be opened:\nx\n\nNo such file or directory", 16,
                    "No such file or directory", "");
    EXPECT_EQ(errors.text(),
              "calvex-plot: No device found, try again! (No such file or directory)\n"
              "calvex-plot: The file could not be opened: x: No such file or directory\n");
}

// calvex-record --append goes on writing the file while calvex-plot reads it: the picture is drawn
// from the lines the file held when the reading began, whenever the lines come.
TEST_F(PlotRunTest, AFileBeingWrittenIsDrawn) {
    const std::string data = dataFile("live.txt", true, 40000, "C");
    const std::string line = "40001\t11:20:00\t150.0\t60.0\t90.0\tC\r\n";
    std::thread recorder([&] {
        // Each line in two writes, as a recorder's line can be met half written.
        for (int i = 0; i < 3000; ++i) {
            std::ofstream out(data, std::ios::binary | std::ios::app);
            out << line.substr(0, 20) << std::flush;
            out << line.substr(20);
        }
    });
    CapturedStream errors;
    StderrDialogs dialogs("calvex-plot", errors.file());
    const int status = runPlot(options(data, folder.file("live.png")), plotWindowFont(), dialogs);
    recorder.join();
    EXPECT_EQ(status, 0) << errors.text();
    const std::string said = errors.text();
    if (!said.empty()) {
        EXPECT_EQ(
            said.rfind("calvex-plot: The file was being written while it was read: " + data + ": The ", 0),
            0u)
            << said;
        EXPECT_NE(said.find(" whole records it held when the reading began are shown.\n"), std::string::npos)
            << said;
    }
    EXPECT_FALSE(QImage(QString::fromStdString(folder.file("live.png"))).isNull());
}

}  // namespace
}  // namespace calvex
