#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "plot_window_rig.h"
#include "support/picture_checks.h"
#include "support/run_without_display.h"

namespace calvex {
namespace {

struct Outcome {
    int exitCode = -1;
    std::string output;
    std::string errors;
};

// calvex-plot as a user runs it over SSH: no X or Wayland display and no Qt platform chosen.
Outcome runWithoutDisplay(const QStringList& arguments) {
    const test::ProcessOutcome process =
        test::runWithoutDisplay(QStringLiteral(CALVEX_PLOT), arguments, 120000);
    return {process.exitCode, process.output.toStdString(), process.errors.toStdString()};
}

// Qt's own start-up notes (such as an unset XDG_RUNTIME_DIR) are the machine's; the program's
// messages are the lines it starts with its name.
std::string programLines(const std::string& errors) {
    std::string lines;
    std::size_t from = 0;
    for (std::size_t end; (end = errors.find('\n', from)) != std::string::npos; from = end + 1)
        if (errors.compare(from, 13, "calvex-plot: ") == 0)
            lines += errors.substr(from, end + 1 - from);
    return lines;
}

TEST(CalvexPlotProgram, AnswersHelpAndVersionWithoutADisplayAndRefusesBadArguments) {
    struct Case {
        QStringList arguments;
        int exitCode;
        std::string inOutput;  // empty: nothing on standard output
        std::string errors;    // standard error, exactly
    };
    const Case cases[] = {
        {{"--version"}, 0, "calvex-plot " CALVEX_PROJECT_VERSION "\n", ""},
        {{"-v"}, 0, "calvex-plot " CALVEX_PROJECT_VERSION "\n", ""},
        {{"--help"}, 0, "calvex-plot FILE... --output OUT.{png,svg,pdf} [--size WIDTHxHEIGHT]", ""},
        {{"-h", "no-such-file.txt"}, 0, "--temperatures T1:T2", ""},
        {{"lab.txt"},
         2,
         "",
         "calvex-plot: --output OUT.png, OUT.svg or OUT.pdf is needed (try calvex-plot --help)\n"},
        {{"lab.txt", "-o", "a.png", "--size", "100x100"},
         2,
         "",
         "calvex-plot: --size takes WIDTHxHEIGHT in pixels, from 400x391 to 8192x8192 (try calvex-plot "
         "--help)\n"},
        {{"--bogus"}, 2, "", "calvex-plot: Unknown option 'bogus'. (try calvex-plot --help)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Outcome run = runWithoutDisplay(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.errors;
        if (c.inOutput.empty()) {
            EXPECT_EQ(run.output, "");
        } else {
            EXPECT_NE(run.output.find(c.inOutput), std::string::npos) << run.output;
        }
        // None of these starts Qt's GUI: standard error holds the program's words alone.
        EXPECT_EQ(run.errors, c.errors);
    }
}

TEST(CalvexPlotProgram, DrawsThePlotWindowsPixelsWithNoDisplay) {
    test::TempFolder folder;
    const std::string data = folder.file("week.txt");
    test::TempFolder::write(data, test::dataFileText(true, 300, "C"));
    const std::string png = folder.file("week.png");
    const test::TypedRange range{std::pair{"-20.5", "380"}, std::pair{"40", "260"}};

    const Outcome run =
        runWithoutDisplay({QString::fromStdString(data), "--output", QString::fromStdString(png),
                           "--temperatures=-20.5:380", "--records", "40:260"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(programLines(run.errors), "");

    // The window's font comes from a QApplication here, the program's from a QGuiApplication.
    test::PlotWindowRig calvex;
    const QImage window = calvex.chart(data, std::nullopt, range, 1200, 800);
    ASSERT_FALSE(window.isNull());
    const QImage picture(QString::fromStdString(png));
    ASSERT_EQ(picture.size(), QSize(1200, 800));
    EXPECT_TRUE(picture == window.convertToFormat(picture.format()));

    const Outcome refused =
        runWithoutDisplay({QString::fromStdString(data), "-o", QString::fromStdString(folder.file("x.png")),
                           "--records", "1:301"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(programLines(refused.errors), "calvex-plot: Invalid, 0 <= Records <= 300\n");
    EXPECT_FALSE(std::filesystem::exists(folder.file("x.png")));
}

// calvex-record's CSV of the records dataFileText writes, on the day given.
std::string csvOf(const std::string& tabText, const std::string& day) {
    std::string csv = "time,t1,t2,t1_t2,unit\r\n";
    std::size_t from = 0;
    for (std::size_t end; (end = tabText.find("\r\n", from)) != std::string::npos; from = end + 2) {
        std::vector<std::string> fields;
        const std::string line = tabText.substr(from, end - from);
        std::size_t f = 0;
        for (std::size_t tab; (tab = line.find('\t', f)) != std::string::npos; f = tab + 1)
            fields.push_back(line.substr(f, tab - f));
        fields.push_back(line.substr(f));
        csv += day + " " + fields[1];
        for (std::size_t k = 2; k < fields.size(); ++k)
            csv += "," + (fields[k] == "----" ? std::string() : fields[k]);
        csv += "\r\n";
    }
    return csv;
}

bool contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(CalvexPlotProgram, AReportSaysItsTitleAxesDatesAndTicksAsText) {
    test::TempFolder folder;
    const std::string first = folder.file("oven-2026-12-10.txt");
    const std::string second = folder.file("oven-2026-12-11.txt");
    test::TempFolder::write(first, test::dataFileText(true, 300, "C"));
    test::TempFolder::write(second, test::dataFileText(true, 300, "C"));
    const std::string svg = folder.file("week.svg");

    // Given last day first.
    const Outcome run =
        runWithoutDisplay({QString::fromStdString(second), QString::fromStdString(first), "-o",
                           QString::fromStdString(svg), "--style", "report", "--temperatures", "0:400"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(programLines(run.errors), "");
    const std::vector<std::string> texts = test::svgTexts(svg);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(),
              "oven-2026-12-10.txt, oven-2026-12-11.txt, 2026-12-10 10:00:02 to 2026-12-11 10:10:00");
    for (const char* text : {"Temperature (\u00b0C)", "Time", "T1", "T2", "T1-T2", "2026-12-10", "2026-12-11",
                             "0", "100", "200", "300", "400", "12:00", "00:00"})
        EXPECT_TRUE(contains(texts, text)) << text;

    // A title of one's own, another unit, and a PDF whose texts stay text.
    const std::string pdf = folder.file("week.pdf");
    const Outcome titled =
        runWithoutDisplay({QString::fromStdString(first), "-o", QString::fromStdString(svg), "--style=report",
                           "--title", "Oven, first day", "--unit", "F", "--temperatures", "0:800"});
    ASSERT_EQ(titled.exitCode, 0) << titled.errors;
    const std::vector<std::string> fahrenheit = test::svgTexts(svg);
    ASSERT_FALSE(fahrenheit.empty());
    EXPECT_EQ(fahrenheit.front(), "Oven, first day");
    EXPECT_TRUE(contains(fahrenheit, "Temperature (\u00b0F)"));
    EXPECT_TRUE(contains(fahrenheit, "800"));
    const Outcome printed = runWithoutDisplay(
        {QString::fromStdString(first), "-o", QString::fromStdString(pdf), "--style", "report"});
    ASSERT_EQ(printed.exitCode, 0) << printed.errors;
    const std::string bytes = test::TempFolder::read(pdf);
    EXPECT_EQ(test::pdfPageCount(bytes), 1);
    EXPECT_NE(bytes.find("/Font"), std::string::npos);
}

TEST(CalvexPlotProgram, ACsvIsDrawnAsTheTabFileOfTheSameRecords) {
    test::TempFolder folder;
    const std::string records = test::dataFileText(true, 300, "C");
    const std::string tab = folder.file("oven-2026-12-10.txt");
    const std::string csv = folder.file("oven.csv");
    test::TempFolder::write(tab, records);
    test::TempFolder::write(csv, csvOf(records, "2026-12-10"));
    for (const QStringList& style : {QStringList{}, QStringList{"--style", "report", "--title", "Oven"}}) {
        SCOPED_TRACE(style.join(' ').toStdString());
        const std::string fromTab = folder.file("tab.png");
        const std::string fromCsv = folder.file("csv.png");
        ASSERT_EQ(runWithoutDisplay(
                      QStringList{QString::fromStdString(tab), "-o", QString::fromStdString(fromTab)} + style)
                      .exitCode,
                  0);
        const Outcome run = runWithoutDisplay(
            QStringList{QString::fromStdString(csv), "-o", QString::fromStdString(fromCsv)} + style);
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(test::TempFolder::read(fromCsv), test::TempFolder::read(fromTab));
    }
}

TEST(CalvexPlotProgram, AFileThatCannotBeDrawnWithTheOthersIsRefusedByName) {
    test::TempFolder folder;
    const std::string dual = folder.file("dual.txt");
    const std::string single = folder.file("single.txt");
    const std::string notes = folder.file("notes.txt");
    test::TempFolder::write(dual, test::dataFileText(true, 20, "C"));
    test::TempFolder::write(single, test::dataFileText(false, 20, "C"));
    test::TempFolder::write(notes, "Oven test\nall fine\n");
    const std::string png = folder.file("x.png");
    const std::pair<std::string, std::string> cases[] = {
        {single, "calvex-plot: The file cannot be drawn with the first one: " + single +
                     ": It holds single-input records, " + dual + " dual-input ones.\n"},
        {notes, "calvex-plot: The file is not a data file: " + notes +
                    ": None of its lines is a record of the program's data files.\n"},
        {folder.file("missing.txt"), "calvex-plot: The file could not be opened: " +
                                         folder.file("missing.txt") + ": No such file or directory\n"},
        {folder.path().string(), "calvex-plot: The file could not be opened: " + folder.path().string() +
                                     ": It is a folder, not a data file.\n"},
    };
    for (const auto& [other, message] : cases) {
        for (const QStringList& style : {QStringList{}, QStringList{"--style", "report"}}) {
            SCOPED_TRACE(other + " " + style.join(' ').toStdString());
            const Outcome run =
                runWithoutDisplay(QStringList{QString::fromStdString(dual), QString::fromStdString(other),
                                              "-o", QString::fromStdString(png)} +
                                  style);
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(programLines(run.errors), message);
            EXPECT_FALSE(std::filesystem::exists(png));
        }
    }
}

}  // namespace
}  // namespace calvex
