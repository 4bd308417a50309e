#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "support/plot_fakes.h"
#include "support/test_session.h"
#include "ui/plot/plot_range.h"

namespace calvex {
namespace {

using test::setWholeListRange;
struct PlotRangeTest : ::testing::Test {
    test::TestSession t;
    Session& s = t.session;
    test::FakePlotApi plot;
    PlotRange* range = nullptr;

    PlotRangeTest() {
        s.plot = &plot;
        setWholeListRange(s, "C", 100);
        open();
    }
    ~PlotRangeTest() override {
        delete range;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void open() {
        delete range;
        range = new PlotRange(s);
        range->setAttribute(Qt::WA_DeleteOnClose, false);
        range->Form_Load();
        range->show();
    }
    QLineEdit* box(const char* name) const { return range->findChild<QLineEdit*>(name); }
    void enter(const char* t1, const char* t2, const char* r1, const char* r2) {
        box("TxtT1")->setText(t1);
        box("TxtT2")->setText(t2);
        box("TxtR1")->setText(r1);
        box("TxtR2")->setText(r2);
    }
    static void type(QWidget* target, Qt::Key key, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(target, &press);
    }
};

TEST_F(PlotRangeTest, LoadsTheRangeAtTheTopLeft) {
    s.PlotTempMin = 25.5;
    s.PlotFirstRecord = 3;
    s.PlotLastRecord = 250;
    open();
    EXPECT_EQ(range->pos(), QPoint(0, 0));
    EXPECT_EQ(box("TxtT1")->text(), "25.5");
    EXPECT_EQ(box("TxtT2")->text(), "1760");
    EXPECT_EQ(box("TxtR1")->text(), "3");
    EXPECT_EQ(box("TxtR2")->text(), "250");
    EXPECT_EQ(range->focusWidget(), box("TxtT1"));
    EXPECT_EQ(range->windowTitle(), "Plot Range");
}

TEST_F(PlotRangeTest, ControlsAtTheDesignPlaces) {
    struct Case {
        const char* name;
        QRect geometry;
        const char* text;
    };
    const Case cases[] = {{"SSFrame1", {8, 0, 137, 89}, "Temperature"},
                          {"SSFrame2", {152, 0, 137, 89}, "Records"},
                          {"SSPanel1", {8, 32, 57, 25}, "Min"},
                          {"SSPanel2", {72, 32, 57, 25}, "Max"},
                          {"SSPanel3", {8, 32, 57, 25}, "From"},
                          {"SSPanel4", {72, 32, 57, 25}, "To"},
                          {"TxtT1", {8, 56, 57, 19}, nullptr},
                          {"TxtT2", {72, 56, 57, 21}, nullptr},
                          {"TxtR1", {8, 56, 57, 19}, nullptr},
                          {"TxtR2", {72, 56, 57, 19}, nullptr},
                          {"CmdOK", {296, 56, 41, 33}, "OK"}};
    for (const Case& c : cases) {
        auto* w = range->findChild<QWidget*>(c.name);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->geometry(), c.geometry) << c.name;
        if (auto* frame = qobject_cast<QGroupBox*>(w)) {
            EXPECT_EQ(frame->title(), c.text);
        }
        if (auto* panel = qobject_cast<QLabel*>(w)) {
            EXPECT_EQ(panel->text(), c.text);
        }
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(button->text(), c.text);
        }
        if (c.text != nullptr) {
            EXPECT_EQ(w->font().family(), "Times New Roman") << c.name;
        }
        if (c.text == nullptr) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << c.name;
        }
    }
    EXPECT_EQ(box("TxtT2")->parentWidget()->objectName(), "SSFrame1");
    EXPECT_EQ(box("TxtR1")->parentWidget()->objectName(), "SSFrame2");
    EXPECT_EQ(range->size(), QSize(344, 94));
    // Tab order.
    auto nextTabStop = [](QWidget* w) {
        do {
            w = w->nextInFocusChain();
        } while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    EXPECT_EQ(nextTabStop(box("TxtT1")), box("TxtT2"));
    EXPECT_EQ(nextTabStop(box("TxtT2")), box("TxtR1"));
    EXPECT_EQ(nextTabStop(box("TxtR1")), box("TxtR2"));
    EXPECT_EQ(nextTabStop(box("TxtR2")), range->findChild<QWidget*>("CmdOK"));
}

TEST_F(PlotRangeTest, RefusalsLeaveEverythingAsItWas) {
    struct Case {
        std::string unit;
        const char *t1, *t2, *r1, *r2;
        std::string message;
    };
    const std::string temperatureC = "Invalid, -200 <= Temperature <= 1760";
    const std::string records = "Invalid, 0 <= Records <= 100";
    const Case cases[] = {
        {"C", "50", "50", "1", "100", temperatureC},
        {"C", "-201", "100", "1", "100", temperatureC},
        {"C", "0", "1761", "1", "100", temperatureC},
        {"C", "100", "50", "1", "100", temperatureC},
        {"F", "0", "2001", "1", "100", "Invalid, -328 <= Temperature <= 2000"},
        {"K", "-1", "100", "1", "100", "Invalid, 0 <= Temperature <= 2000"},
        // Temperatures are tested first: bad records then go unmentioned.
        {"C", "-300", "100", "0", "0", temperatureC},
        {"C", "0", "100", "10", "10", records},
        {"C", "0", "100", "0", "10", records},
        {"C", "0", "100", "20", "10", records},
        {"C", "0", "100", "1", "101", records},
        {"C", "0", "100", "", "5", records},
    };
    for (const Case& c : cases) {
        setWholeListRange(s, c.unit, 100);
        t.dialogs.messages.clear();
        enter(c.t1, c.t2, c.r1, c.r2);
        range->CmdOK_Click();
        ASSERT_EQ(t.dialogs.messages.size(), 1u) << c.t1 << " " << c.t2 << " " << c.r1 << " " << c.r2;
        EXPECT_EQ(t.dialogs.messages[0].text, c.message);
        EXPECT_EQ(t.dialogs.messages[0].style, 16);
        EXPECT_EQ(t.dialogs.messages[0].title, "");
        EXPECT_EQ(s.PlotTempMin, s.PlotTempLimitMin);
        EXPECT_EQ(s.PlotTempMax, s.PlotTempLimitMax);
        EXPECT_EQ(s.PlotFirstRecord, 1);
        EXPECT_EQ(s.PlotLastRecord, 100);
        EXPECT_EQ(s.PlotRecordCount, 100);
        EXPECT_EQ(plot.closes, 0);
        EXPECT_TRUE(plot.sources.empty());
        EXPECT_TRUE(range->isVisible());
        EXPECT_EQ(box("TxtT1")->text(), c.t1);
    }
}

TEST_F(PlotRangeTest, AcceptedRangesReopenThePlot) {
    struct Case {
        std::string unit;
        const char *t1, *t2, *r1, *r2;
        double min, max;
        float first, last;
    };
    const Case cases[] = {
        {"C", "-200", "1760", "1", "100", -200, 1760, 1, 100},   {"C", "", "50", "99", "100", 0, 50, 99, 100},
        {"C", "1-5", "30.5", "3", "40", 1, 30.5, 3, 40},         {"K", "0", "2000", "1", "2", 0, 2000, 1, 2},
        {"F", "-328", "-300", "10", "100", -328, -300, 10, 100},
    };
    for (const Case& c : cases) {
        open();
        setWholeListRange(s, c.unit, 100);
        plot = test::FakePlotApi{};
        enter(c.t1, c.t2, c.r1, c.r2);
        range->CmdOK_Click();
        EXPECT_TRUE(t.dialogs.messages.empty()) << c.t1;
        EXPECT_EQ(s.PlotTempMin, c.min);
        EXPECT_EQ(s.PlotTempMax, c.max);
        EXPECT_EQ(s.PlotFirstRecord, c.first);
        EXPECT_EQ(s.PlotLastRecord, c.last);
        EXPECT_EQ(s.PlotRecordCount, c.last - c.first + 1);
        EXPECT_EQ(plot.closes, 1);
        ASSERT_EQ(plot.sources.size(), 1u);
        EXPECT_EQ(plot.sources[0], nullptr);
        EXPECT_FALSE(range->isVisible());
    }
}

TEST_F(PlotRangeTest, KeyFilters) {
    struct Case {
        const char* name;
        Qt::Key key;
        const char* text;
        const char* after;
    };
    const Case cases[] = {
        {"TxtT1", Qt::Key_5, "5", "-20055"},      {"TxtT1", Qt::Key_Minus, "-", "-200-"},
        {"TxtT1", Qt::Key_Period, ".", "-200."},  {"TxtT1", Qt::Key_A, "a", "-200"},
        {"TxtT1", Qt::Key_Plus, "+", "-200"},     {"TxtT1", Qt::Key_Space, " ", "-200"},
        {"TxtT1", Qt::Key_Comma, ",", "-200"},    {"TxtT2", Qt::Key_E, "e", "1760"},
        {"TxtT2", Qt::Key_Minus, "-", "1760-"},   {"TxtR1", Qt::Key_7, "7", "17"},
        {"TxtR1", Qt::Key_Minus, "-", "1"},       {"TxtR1", Qt::Key_Period, ".", "1"},
        {"TxtR2", Qt::Key_X, "x", "100"},         {"TxtR2", Qt::Key_Period, ".", "100"},
        {"TxtR2", Qt::Key_Backspace, "\b", "10"}, {"TxtT1", Qt::Key_Backspace, "\b", "-20"},
    };
    for (const Case& c : cases) {
        open();
        QLineEdit* target = box(c.name);
        if (QString(c.text) == "5")
            target->setText("-2005");
        target->end(false);
        type(target, c.key, c.text);
        EXPECT_EQ(target->text().toStdString(), c.after) << c.name << " " << c.text;
    }
}

TEST_F(PlotRangeTest, EnterMovesOnAndInTheLastBoxValidates) {
    struct Case {
        const char* from;
        const char* to;
    };
    for (const Case c : {Case{"TxtT1", "TxtT2"}, Case{"TxtT2", "TxtR1"}, Case{"TxtR1", "TxtR2"}}) {
        type(box(c.from), Qt::Key_Return, "\r");
        EXPECT_EQ(range->focusWidget(), box(c.to)) << c.from;
        EXPECT_TRUE(t.dialogs.messages.empty());
    }
    type(box("TxtT1"), Qt::Key_Enter, "\r");
    EXPECT_EQ(range->focusWidget(), box("TxtT2"));

    // Refused like OK refuses...
    box("TxtR2")->setText("1");
    type(box("TxtR2"), Qt::Key_Return, "\r");
    ASSERT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(t.dialogs.messages[0].text, "Invalid, 0 <= Records <= 100");
    EXPECT_EQ(box("TxtR2")->text(), "1");
    // ... and accepted like OK accepts.
    box("TxtR2")->setText("60");
    type(box("TxtR2"), Qt::Key_Return, "\r");
    EXPECT_EQ(t.dialogs.messages.size(), 1u);
    EXPECT_EQ(s.PlotLastRecord, 60);
    EXPECT_EQ(plot.sources.size(), 1u);
    EXPECT_FALSE(range->isVisible());
}

TEST_F(PlotRangeTest, PastingIsRefused) {
    QLineEdit* target = box("TxtR1");
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QString(QChar(22)));
    QCoreApplication::sendEvent(target, &paste);
    EXPECT_EQ(target->text(), "1");
}

}  // namespace
}  // namespace calvex

namespace calvex {
namespace {

// Escape in a box or on the window, and the close box, close the dialog and change nothing: the
// plot keeps its range and is not reopened.
TEST_F(PlotRangeTest, EscapeAndTheCloseBoxChangeNothing) {
    const std::function<void(PlotRangeTest&)> closings[] = {
        [](PlotRangeTest& r) { type(r.box("TxtT2"), Qt::Key_Escape, QString(QChar(27))); },
        [](PlotRangeTest& r) { type(r.range, Qt::Key_Escape, QString(QChar(27))); },
        [](PlotRangeTest& r) { r.range->close(); },
    };
    for (const auto& closeIt : closings) {
        open();
        enter("0", "100", "10", "20");
        closeIt(*this);
        EXPECT_FALSE(range->isVisible());
        EXPECT_EQ(s.PlotTempMin, s.PlotTempLimitMin);
        EXPECT_EQ(s.PlotTempMax, s.PlotTempLimitMax);
        EXPECT_EQ(s.PlotFirstRecord, 1);
        EXPECT_EQ(s.PlotLastRecord, 100);
        EXPECT_EQ(plot.closes, 0);
        EXPECT_TRUE(plot.sources.empty());
        EXPECT_TRUE(t.dialogs.messages.empty());
    }
}

}  // namespace
}  // namespace calvex
