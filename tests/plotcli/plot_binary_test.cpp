#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "plot_window_rig.h"
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
        {{"--help"}, 0, "calvex-plot FILE --output OUT.{png,svg,pdf} [--size WIDTHxHEIGHT]", ""},
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

}  // namespace
}  // namespace calvex
