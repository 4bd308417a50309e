#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <algorithm>
#include <filesystem>

#include "canvas/picture_file.h"
#include "support/fake_panel.h"
#include "support/picture_checks.h"
#include "support/read_file.h"
#include "support/temp_folder.h"
#include "support/test_session.h"
#include "ui/graph/graph_windows.h"
#include "ui/graph/real_time23.h"

namespace calvex {
namespace {

using test::TempFolder;

class GraphExportTest : public ::testing::Test {
protected:
    GraphExportTest() {
        session.graph = &windows;
        session.panel = &panel;
        state.Unit = "C";
        state.DualModel = true;
        state.ReadingKnown = true;
        windows.openGraph();
        graph = windows.graph();
        // A rising T1 for half a sweep.
        for (int i = 0; i < 120; ++i) {
            state.T1C = 100.0 + 5 * i;
            state.T2C = 50.0;
            state.T1T2C = 50.0 + 5 * i;
            graph->Timer1_Timer();
            ts.clock.advanceMs(150);
        }
    }
    ~GraphExportTest() override {
        windows.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::string exportAs(const std::string& typed, PictureFormat filter) {
        ts.dialogs.pictureAnswers.push_back({folder.file(typed), filter});
        graph->Toolbar1_ButtonClick("Export");
        return picturePath(folder.file(typed), filter);
    }

    test::TestSession ts;
    Session& session = ts.session;
    InstrumentState& state = ts.session.state;
    test::FakePanel panel;
    GraphWindows windows{ts.session};
    RealTime23* graph = nullptr;
    TempFolder folder;
};

TEST_F(GraphExportTest, TheButtonComesAfterPrintPreviewWithItsOwnPicture) {
    const QList<QAction*> actions = graph->Toolbar1->actions();
    // Fit follows it.
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[4]->data().toString(), "Fit");
    EXPECT_EQ(actions[2]->data().toString(), "Preview");
    EXPECT_EQ(actions[3]->data().toString(), "Export");
    EXPECT_EQ(actions[3]->toolTip(), "Export Picture");
    EXPECT_EQ(actions[3]->text(), "Export Picture");
    EXPECT_FALSE(actions[3]->icon().isNull());
    EXPECT_EQ(actions[3]->shortcut(), QKeySequence("Ctrl+E"));
}

TEST_F(GraphExportTest, EachFormatHoldsTheGraphAsItStands) {
    const std::string png = exportAs("graph", PictureFormat::Png);
    const QImage image(QString::fromStdString(png));
    EXPECT_EQ(image.size(), graph->image().size());
    EXPECT_EQ(image, graph->image().convertToFormat(image.format()));
    // A point of the black T1 curve: the 100th step, 100 + 5 * 99 = 595 C on a -200 to 1760 scale.
    const RealTimeChart& chart = graph->chart();
    const int x = static_cast<int>(chart.graphLeft()) + 99;
    const int y = static_cast<int>(chart.graphBase() - (595.0 + 200.0) / 1960.0 * chart.graphHeight());
    bool black = false;
    for (int dy = -2; dy <= 2; ++dy)
        black = black || image.pixel(x, y + dy) == qRgb(0, 0, 0);
    EXPECT_TRUE(black);

    const std::string svg = exportAs("graph.svg", PictureFormat::Png);
    const std::vector<std::string> texts = test::svgTexts(svg);
    for (const char* label : {"-200.", "45.", "1760.", "C", "T1", "T2", "T1-T2"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), label), texts.end()) << label;
    // The time marks written so far are texts too.
    EXPECT_NE(std::find(texts.begin(), texts.end(), chart.timeText()), texts.end());

    const std::string pdf = exportAs("graph", PictureFormat::Pdf);
    const std::string bytes = test::readFile(pdf);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_EQ(test::pdfPageCount(bytes), 1);
    EXPECT_TRUE(ts.dialogs.messages.empty());
}

TEST_F(GraphExportTest, AFailedWriteSaysWhyAndLeavesNoFile) {
    const std::string path = exportAs("missing folder/graph.svg", PictureFormat::Svg);
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_EQ(ts.dialogs.messages.size(), 1u);
    const std::string start = "The picture could not be written:\n" + path + "\n\n";
    EXPECT_EQ(ts.dialogs.messages[0].text.rfind(start, 0), 0u);
    // The reason follows the path, once: nothing under the text says it again.
    EXPECT_GT(ts.dialogs.messages[0].text.size(), start.size());
    EXPECT_EQ(ts.dialogs.messages[0].details, "");
    EXPECT_EQ(ts.dialogs.messages[0].style, kCriticalStop);
}

TEST_F(GraphExportTest, ACancelledDialogWritesNothing) {
    graph->Toolbar1_ButtonClick("Export");
    EXPECT_EQ(ts.dialogs.pictureDialogs, 1);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    EXPECT_TRUE(ts.dialogs.messages.empty());
}

}  // namespace
}  // namespace calvex
