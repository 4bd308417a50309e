#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QToolBar>
#include <algorithm>
#include <filesystem>

#include "canvas/picture_file.h"
#include "support/picture_checks.h"
#include "support/plot_fakes.h"
#include "support/read_file.h"
#include "support/temp_folder.h"
#include "support/test_session.h"
#include "ui/plot/list_plot1.h"
#include "ui/plot/plot_windows.h"

namespace calvex {
namespace {

using test::TempFolder;

struct ListPlot1ExportTest : ::testing::Test {
    test::TestSession t;
    Session& s = t.session;
    PlotWindows plots{s};
    test::FakeList list{true};
    ListPlot1* plot = nullptr;
    TempFolder folder;

    ListPlot1ExportTest() {
        s.plot = &plots;
        s.state.DualModel = true;
        // T1 climbs from 0 to 950 C over 20 records; T2 stays at 20 C.
        for (int i = 0; i < 20; ++i)
            list.addRecord({std::to_string(50 * i), "20", std::to_string(50 * i - 20)}, "C");
        test::setWholeListRange(s, "C", 20);
        plots.show(&list);
        plot = plots.plotWindow();
    }
    ~ListPlot1ExportTest() override {
        plots.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::string exportAs(const std::string& typed, PictureFormat filter) {
        t.dialogs.pictureAnswers.push_back({folder.file(typed), filter});
        plot->Toolbar1_ButtonClick("Export");
        return picturePath(folder.file(typed), filter);
    }
};

TEST_F(ListPlot1ExportTest, TheButtonComesAfterPrintPreviewWithItsOwnPicture) {
    ASSERT_NE(plot, nullptr);
    const QList<QAction*> actions = plot->findChild<QToolBar*>("Toolbar1")->actions();
    // Fit follows it.
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[4]->data().toString(), "Fit");
    EXPECT_EQ(actions[0]->data().toString(), "Limit");
    EXPECT_EQ(actions[1]->data().toString(), "Print");
    EXPECT_EQ(actions[2]->data().toString(), "Preview");
    EXPECT_EQ(actions[3]->data().toString(), "Export");
    EXPECT_EQ(actions[3]->toolTip(), "Export Picture");
    EXPECT_FALSE(actions[3]->icon().isNull());
    EXPECT_EQ(actions[3]->shortcut(), QKeySequence("Ctrl+E"));
}

TEST_F(ListPlot1ExportTest, EachFormatHoldsThePlotAsShown) {
    ASSERT_NE(plot, nullptr);
    const std::string png = exportAs("plot", PictureFormat::Png);
    const QImage image(QString::fromStdString(png));
    EXPECT_EQ(image.size(), plot->chartImage().size());
    EXPECT_EQ(image, plot->chartImage().convertToFormat(image.format()));
    // Record 11 (T1 500 C) sits ten steps right of the left edge.
    const int x = static_cast<int>(s.DataPlotLeft + 10 * s.DataPlotStep);
    const int y = static_cast<int>(s.DataPlotBase - s.DataPlotHeight * (500.0 + 200.0) / 1960.0);
    bool black = false;
    for (int dy = -2; dy <= 2; ++dy)
        black = black || image.pixel(x, y + dy) == qRgb(0, 0, 0);
    EXPECT_TRUE(black);

    const std::string svg = exportAs("plot", PictureFormat::Svg);
    const std::vector<std::string> texts = test::svgTexts(svg);
    for (const char* label :
         {"-200.", "45.", "290.", "1760.", "C", "T1", "T2", "T1-T2", "10:00:00", "10:00:38"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), label), texts.end()) << label;

    const std::string pdf = exportAs("plot.PDF", PictureFormat::Svg);
    const std::string bytes = test::readFile(pdf);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_EQ(test::pdfPageCount(bytes), 1);

    EXPECT_TRUE(t.dialogs.messages.empty());
    // The caption is the window's own again, and the window still shows the chart.
    EXPECT_EQ(plot->windowTitle(), "Plot Data/File ");
    EXPECT_FALSE(plot->drawFailed());
}

TEST_F(ListPlot1ExportTest, AFailureSaysWhyAndLeavesNoFile) {
    ASSERT_NE(plot, nullptr);
    const std::string missing = exportAs("missing folder/plot.pdf", PictureFormat::Pdf);
    EXPECT_FALSE(std::filesystem::exists(missing));
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    // The reason follows the path once, with nothing under it that says it again.
    const std::string text = t.dialogs.messages[0].text;
    const std::string start = "The picture could not be written:\n" + missing + "\n\n";
    ASSERT_EQ(text.rfind(start, 0), 0u) << text;
    EXPECT_GT(text.size(), start.size());
    EXPECT_EQ(t.dialogs.messages[0].details, "");

    // The list closed since the plot was drawn: no vector picture can be drawn of it.
    list.closeWindow();
    const std::string svg = exportAs("plot.svg", PictureFormat::Svg);
    EXPECT_FALSE(std::filesystem::exists(svg));
    ASSERT_EQ(t.dialogs.messages.size(), 2u);
    EXPECT_EQ(t.dialogs.messages[1].text,
              "The picture could not be written:\n" + svg + "\n\nThe list the plot shows is no longer open.");
}

}  // namespace
}  // namespace calvex
