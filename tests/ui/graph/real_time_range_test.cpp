#include "ui/graph/real_time_range.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QKeyEvent>

#include "support/test_session.h"
#include "ui/graph/graph_windows.h"

namespace calvex {
namespace {

class RealTimeRangeTest : public ::testing::Test {
protected:
    RealTimeRangeTest() {
        session.graph = &windows;
        state.Unit = "C";
        windows.openGraph();
        // As if the graph were 390 pixels wide.
        session.GraphWidth = 330;
        windows.showRange();
        dialog = windows.range();
    }
    ~RealTimeRangeTest() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void fill(const char* max, const char* min, const char* counts) {
        dialog->TxtMax->setText(max);
        dialog->TxtMin->setText(min);
        dialog->TxtCounts->setText(counts);
    }
    static void type(QWidget* box, Qt::Key key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(box, &release);
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const auto& m : ts.dialogs.messages)
            out.push_back(m.text);
        return out;
    }

    test::TestSession ts;
    Session& session = ts.session;
    InstrumentState& state = ts.session.state;
    GraphWindows windows{ts.session};
    QPointer<RealTimeRange> dialog;
};

TEST_F(RealTimeRangeTest, OpensWithThePresentScaleAndCount) {
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Real Time Range");
    EXPECT_EQ(dialog->size(), QSize(230, 57));
    EXPECT_EQ(dialog->TxtMax->text(), "1760");
    EXPECT_EQ(dialog->TxtMin->text(), "-200");
    EXPECT_EQ(dialog->TxtCounts->text(), "330");
    EXPECT_EQ(dialog->findChild<QLabel*>("SSPanel3")->text(), "Max");
    EXPECT_EQ(dialog->findChild<QLabel*>("SSPanel1")->text(), "Min");
    EXPECT_EQ(dialog->findChild<QLabel*>("SSPanel2")->text(), "Counts");
    EXPECT_EQ(dialog->findChild<QPushButton*>("CmdOK")->text(), "OK");

    // A fractional step shows the nearest whole count, halves to the even one.
    dialog->close();
    session.GraphStep = 330.0f / 7.0f * 2.0f / 5.0f;  // 17.5 counts
    windows.showRange();
    EXPECT_EQ(windows.range()->TxtCounts->text(), "18");
}

TEST_F(RealTimeRangeTest, RefusalsShowTheirMessageAndKeepTheDialogOpen) {
    const std::string temperature = "-200 <= Temperature <= 1760, try again!";
    const std::string counts = "10 <= Counts <= 864000, try again!";
    struct Case {
        const char* max;
        const char* min;
        const char* counts;
        std::string message;
        double wantMax, wantMin;  // the scale after the refusal
    };
    const Case cases[] = {
        {"100", "100", "330", temperature, 1760, -200}, {"50", "100", "330", temperature, 1760, -200},
        {"1761", "0", "330", temperature, 1760, -200},  {"100", "-201", "330", temperature, 1760, -200},
        {"", "", "330", temperature, 1760, -200},       {"100", "0", "9", counts, 1760, -200},
        {"200", "-50", "864001", counts, 1760, -200},   {"300", "10", "", counts, 1760, -200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.max) + " / " + c.min + " / " + c.counts);
        session.GraphMax = 1760;
        session.GraphMin = -200;
        ts.dialogs.messages.clear();
        RealTime23* graph = windows.graph();
        // The running graph goes on plotting against the scale its labels show.
        const double height780 = graph->chart().heightOf(780.0);
        fill(c.max, c.min, c.counts);
        dialog->CmdOK_Click();
        EXPECT_EQ(messages(), std::vector<std::string>({c.message}));
        EXPECT_EQ(ts.dialogs.messages.at(0).style, 16);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(session.GraphMax, c.wantMax);
        EXPECT_EQ(session.GraphMin, c.wantMin);
        EXPECT_EQ(session.GraphStep, 1);
        EXPECT_EQ(windows.graph(), graph);
        EXPECT_DOUBLE_EQ(graph->chart().heightOf(780.0), height780);
    }
}

TEST_F(RealTimeRangeTest, AcceptedRangesRestartTheGraph) {
    struct Case {
        const char* counts;
        float step;
    };
    const Case cases[] = {{"10", 33.0f}, {"864000", 330.0f / 864000.0f}, {"660", 0.5f}, {"330", 1.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.counts);
        windows.showRange();
        dialog = windows.range();
        session.GraphWidth = 330;
        QPointer<RealTime23> old = windows.graph();
        fill("500", "-100", c.counts);
        dialog->CmdOK_Click();
        EXPECT_TRUE(ts.dialogs.messages.empty());
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(session.GraphMax, 500);
        EXPECT_EQ(session.GraphMin, -100);
        EXPECT_FLOAT_EQ(session.GraphStep, c.step);
        EXPECT_TRUE(state.GraphActive);
        ASSERT_NE(windows.graph(), nullptr);
        EXPECT_NE(windows.graph(), old.data());
        EXPECT_TRUE(old.isNull() || !old->isVisible());
        EXPECT_TRUE(windows.graph()->isVisible());
        EXPECT_TRUE(windows.graph()->Timer1.isActive());
        EXPECT_FLOAT_EQ(windows.graph()->chart().graphX(), -c.step);
    }
}

TEST_F(RealTimeRangeTest, FahrenheitLimits) {
    state.Unit = "F";
    windows.openGraph();
    windows.showRange();
    dialog = windows.range();
    const std::string refused = "-328 <= Temperature <= 2000, try again!";
    const struct {
        const char* max;
        const char* min;
        bool accepted;
    } cases[] = {{"2001", "0", false}, {"100", "-329", false}, {"2000", "-328", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.max) + " / " + c.min);
        ts.dialogs.messages.clear();
        fill(c.max, c.min, "100");
        dialog->CmdOK_Click();
        if (c.accepted) {
            EXPECT_TRUE(ts.dialogs.messages.empty());
            EXPECT_EQ(session.GraphMax, 2000);
            EXPECT_EQ(session.GraphMin, -328);
        } else {
            EXPECT_EQ(messages(), std::vector<std::string>({refused}));
        }
    }
}

TEST_F(RealTimeRangeTest, KeyFiltersInsertOnlyTheirCharacters) {
    struct Case {
        const char* box;
        Qt::Key key;
        const char* text;
        const char* want;  // the box held "12"
    };
    const Case cases[] = {
        {"TxtMax", Qt::Key_A, "a", "12"},
        {"TxtMin", Qt::Key_A, "a", "12"},
        {"TxtCounts", Qt::Key_A, "a", "12"},
        {"TxtCounts", Qt::Key_Minus, "-", "12"},
        {"TxtCounts", Qt::Key_Period, ".", "12"},
        {"TxtMax", Qt::Key_Space, " ", "12"},
        {"TxtMax", Qt::Key_Minus, "-", "12-"},
        {"TxtMin", Qt::Key_Period, ".", "12."},
        {"TxtMax", Qt::Key_3, "3", "123"},
        {"TxtCounts", Qt::Key_0, "0", "120"},
        {"TxtCounts", Qt::Key_Backspace, "\b", "1"},
        {"TxtMin", Qt::Key_Backspace, "\b", "1"},
        {"TxtMax", Qt::Key_E, "\xc3\xa9", "12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.box) + " " + c.text);
        auto* box = dialog->findChild<QLineEdit*>(c.box);
        ASSERT_NE(box, nullptr);
        box->setText("12");
        type(box, c.key, QString::fromUtf8(c.text));
        EXPECT_EQ(box->text().toStdString(), c.want);
    }
    // Pasted text is not filtered.
    dialog->TxtCounts->setText("");
    dialog->TxtCounts->insert("abc");
    EXPECT_EQ(dialog->TxtCounts->text(), "abc");
}

TEST_F(RealTimeRangeTest, EnterMovesOnAndInTheCountAppliesTheDialog) {
    fill("500", "0", "660");
    type(dialog->TxtMax, Qt::Key_Return, "\r");
    EXPECT_EQ(dialog->focusWidget(), dialog->TxtMin);
    EXPECT_EQ(dialog->TxtMax->text(), "500");
    type(dialog->TxtMin, Qt::Key_Enter, "\r");
    EXPECT_EQ(dialog->focusWidget(), dialog->TxtCounts);
    EXPECT_TRUE(dialog->isVisible());

    type(dialog->TxtCounts, Qt::Key_Return, "\r");
    EXPECT_TRUE(ts.dialogs.messages.empty());
    EXPECT_TRUE(dialog.isNull() || !dialog->isVisible());
    EXPECT_EQ(session.GraphMax, 500);
    EXPECT_FLOAT_EQ(session.GraphStep, 0.5f);
    EXPECT_TRUE(windows.visible());
}

}  // namespace
}  // namespace calvex

namespace calvex {
namespace {

// Escape in a box or on the window, and the close box, close the dialog with the graph's scale and
// step as they were.
TEST_F(RealTimeRangeTest, EscapeAndTheCloseBoxChangeNothing) {
    const char* ways[] = {"Escape in a box", "Escape on the window", "the close box"};
    for (const char* way : ways) {
        SCOPED_TRACE(way);
        windows.showRange();
        dialog = windows.range();
        ASSERT_TRUE(dialog);
        const double max = session.GraphMax;
        const double min = session.GraphMin;
        const float step = session.GraphStep;
        fill("500", "100", "60");
        if (way == ways[0]) {
            type(dialog->TxtMin, Qt::Key_Escape, QString(QChar(27)));
        } else if (way == ways[1]) {
            type(dialog, Qt::Key_Escape, QString(QChar(27)));
        } else {
            dialog->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(dialog.isNull() || !dialog->isVisible());
        EXPECT_EQ(session.GraphMax, max);
        EXPECT_EQ(session.GraphMin, min);
        EXPECT_EQ(session.GraphStep, step);
        EXPECT_TRUE(messages().empty());
    }
}

}  // namespace
}  // namespace calvex
