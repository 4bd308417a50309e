#include <gtest/gtest.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>

#include "canvas/painter_canvas.h"
#include "lists/grid.h"
#include "platform/civil_date.h"
#include "plot/plot_variables.h"
#include "plot/report_chart.h"
#include "support/recording_canvas.h"
#include "support/test_session.h"

namespace calvex {
namespace {

constexpr std::int64_t kDay = 86400;

// Records the drawing, with texts measured in the application's font as a picture measures them.
class MeasuringCanvas : public test::RecordingCanvas {
public:
    MeasuringCanvas(int w, int h) : RecordingCanvas(w, h), m_font(QGuiApplication::font()) {}
    double textWidth(const std::string& text) const override {
        return PainterCanvas::textWidthIn(m_font, text);
    }
    double textHeight(const std::string&) const override { return PainterCanvas::textHeightIn(m_font); }

    std::vector<PlacedText> texts() const {
        std::vector<PlacedText> placed;
        for (const Call& c : ofKind(Call::Text))
            placed.push_back({c.text, c.x1, c.y1, textWidth(c.text), textHeight(c.text)});
        return placed;
    }

private:
    QFont m_font;
};

bool overlap(const PlacedText& a, const PlacedText& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

std::string describe(const PlacedText& t) {
    char text[128];
    std::snprintf(text, sizeof text, "'%s' at %.1f,%.1f size %.1fx%.1f", t.text.c_str(), t.x, t.y, t.width,
                  t.height);
    return text;
}

// No two texts share a pixel, and every one lies on the canvas.
void expectApartAndInside(const std::vector<PlacedText>& texts, int width, int height) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_GE(texts[i].x, 0) << describe(texts[i]);
        EXPECT_GE(texts[i].y, 0) << describe(texts[i]);
        EXPECT_LE(texts[i].x + texts[i].width, width) << describe(texts[i]);
        EXPECT_LE(texts[i].y + texts[i].height, height) << describe(texts[i]);
        for (std::size_t j = i + 1; j < texts.size(); ++j)
            EXPECT_FALSE(overlap(texts[i], texts[j])) << describe(texts[i]) << " and " << describe(texts[j]);
    }
}

// A dual-input list of `count` records `step` seconds apart from `start`, and their times.
struct Records {
    Grid grid{7, 1};
    ReportChart chart;

    Records(std::int64_t start, int count, std::int64_t step, TimeDays days) {
        chart.days = days;
        chart.title = "lab.txt";
        for (int i = 1; i <= count; ++i) {
            const std::int64_t t = start + (i - 1) * step;
            const std::int64_t s = t % kDay;
            char line[96];
            std::snprintf(line, sizeof line, "%d\t%02d:%02d:%02d\t%d.0\t%d.5\t1.0\tC", i,
                          static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60), static_cast<int>(s % 60),
                          20 + i % 50, 10 + i % 30);
            grid.addItemUntold(line);
            chart.seconds.push_back(t);
        }
    }
};

TEST(ReportChart, TextsNeverOverlapAtTheSmallestAndTheLargestSize) {
    const std::int64_t start = daysFromCivil(2026, 12, 10) * kDay + 10 * 3600 + 7;
    struct Span {
        int count;
        std::int64_t step;
    };
    // One record, seconds, minutes, hours, just over a day, a week, two months.
    const Span spans[] = {{1, 1},     {12, 1},    {300, 1},    {400, 9},
                          {1500, 60}, {900, 100}, {2016, 300}, {1440, 3600}};
    const TimeDays kinds[] = {TimeDays::Calendar, TimeDays::Counted, TimeDays::None};
    const std::pair<int, int> sizes[] = {{400, 391}, {8192, 8192}, {401, 391}, {1920, 1080}};
    for (const auto& [width, height] : sizes) {
        for (const Span& span : spans) {
            for (const TimeDays days : kinds) {
                SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + ", " +
                             std::to_string(span.count) + " records " + std::to_string(span.step) +
                             " s apart, days " + std::to_string(static_cast<int>(days)));
                test::TestSession t;
                Records records(days == TimeDays::Calendar ? start : 10 * 3600 + 7, span.count, span.step,
                                days);
                records.chart.title =
                    defaultReportTitle({"oven-2026-12-10.txt", "oven-2026-12-16.txt", "x"},
                                       records.chart.seconds.front(), records.chart.seconds.back(), days);
                ASSERT_TRUE(setPlotVariables(t.session, records.grid, ListKind::File, 5));
                MeasuringCanvas canvas(width, height);
                ASSERT_TRUE(
                    drawReportChart(t.session, canvas, width, height, records.grid, true, records.chart));
                const std::vector<PlacedText> texts = canvas.texts();
                expectApartAndInside(texts, width, height);
                // The time axis says at least one time.
                EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const PlacedText& p) {
                    return p.text.size() >= 5 && p.text[2] == ':';
                }));
            }
        }
    }
}

TEST(ReportChart, TimeLabelsAreRoundAndCarryTheDayWhereItChanges) {
    MeasuringCanvas canvas(1920, 1080);
    const std::int64_t start = daysFromCivil(2026, 12, 10) * kDay;
    const std::vector<PlacedText> week =
        timeAxisLabels(canvas, 60, 1800, 1000, start, start + 7 * kDay - 1, TimeDays::Calendar);
    std::vector<std::string> texts;
    for (const PlacedText& p : week)
        texts.push_back(p.text);
    // Twelve hours apart, each midnight with its date under it.
    const std::vector<std::string> expected{"00:00", "2026-12-10", "12:00", "00:00", "2026-12-11", "12:00",
                                            "00:00", "2026-12-12", "12:00", "00:00", "2026-12-13", "12:00",
                                            "00:00", "2026-12-14", "12:00", "00:00", "2026-12-15", "12:00",
                                            "00:00", "2026-12-16", "12:00"};
    EXPECT_EQ(texts, expected);

    // Counted days only once the records span more than one; none within a day.
    texts.clear();
    for (const PlacedText& p : timeAxisLabels(canvas, 60, 1800, 1000, 3600, 3 * 3600, TimeDays::Counted))
        texts.push_back(p.text);
    EXPECT_TRUE(std::none_of(texts.begin(), texts.end(),
                             [](const std::string& t) { return t.rfind("day", 0) == 0; }));
    texts.clear();
    for (const PlacedText& p :
         timeAxisLabels(canvas, 60, 400, 1000, 20 * 3600, kDay + 4 * 3600, TimeDays::Counted))
        texts.push_back(p.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "day 1"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "day 2"), texts.end());
    // Under a minute apart the seconds are shown.
    const std::vector<PlacedText> seconds =
        timeAxisLabels(canvas, 60, 1800, 1000, 36000, 36030, TimeDays::None);
    ASSERT_FALSE(seconds.empty());
    EXPECT_EQ(seconds.front().text, "10:00:00");
}

TEST(ReportChart, TitlesAndTheTemperatureAxisFollowTheUnitAndTheRecords) {
    EXPECT_EQ(temperatureAxisTitle("C"), "Temperature (\u00b0C)");
    EXPECT_EQ(temperatureAxisTitle("F"), "Temperature (\u00b0F)");
    EXPECT_EQ(temperatureAxisTitle("K"), "Temperature (K)");
    const std::int64_t day = daysFromCivil(2026, 12, 10) * kDay;
    EXPECT_EQ(defaultReportTitle({"lab.txt"}, day + 36001, day + 43200, TimeDays::Calendar),
              "lab.txt, 2026-12-10 10:00:01 to 2026-12-10 12:00:00");
    EXPECT_EQ(defaultReportTitle({"a.txt", "b.txt"}, 36001, kDay + 43200, TimeDays::Counted),
              "a.txt, b.txt, day 1 10:00:01 to day 2 12:00:00");
    EXPECT_EQ(defaultReportTitle({"a.txt"}, 36001, 43200, TimeDays::Counted), "a.txt, 10:00:01 to 12:00:00");
    EXPECT_EQ(defaultReportTitle({"a.txt", "b.txt", "c.txt"}, 36001, 43200, TimeDays::None),
              "a.txt \u2026 c.txt (3 files), 10:00:01 to 12:00:00");
}

// The curves' runs of joined lines, in one colour: each break starts a new one. A line goes on
// from the one before when it starts where that one ended (the lines within one pixel column
// stand at one x).
int runsOf(const test::RecordingCanvas& canvas, Rgb color) {
    int runs = 0;
    bool any = false;
    double lastX = 0;
    for (const auto& c : canvas.ofKind(test::RecordingCanvas::Call::Line)) {
        if (!(c.color == color) || c.width != 1)
            continue;
        if (!any || c.x1 != lastX)
            ++runs;
        any = true;
        lastX = c.x2;
    }
    return runs;
}

TEST(ReportChart, NoValueAFilesStartAndAMissingStretchBreakTheCurves) {
    test::TestSession t;
    Records records(36000, 40, 1, TimeDays::None);
    // T2 without a value at record 10; a second file from record 21; records 31 on an hour later.
    records.grid.setCell(10, 3, "----");
    records.chart.breaks = {21};
    for (std::size_t i = 30; i < records.chart.seconds.size(); ++i)
        records.chart.seconds[i] += 3600;
    ASSERT_TRUE(setPlotVariables(t.session, records.grid, ListKind::File, 5));
    t.session.PlotTempMin = 0;
    t.session.PlotTempMax = 100;
    MeasuringCanvas canvas(1200, 800);
    ASSERT_TRUE(drawReportChart(t.session, canvas, 1200, 800, records.grid, true, records.chart));
    EXPECT_EQ(runsOf(canvas, kBlack), 3);  // T1: the file break and the hour without records
    EXPECT_EQ(runsOf(canvas, kBlue), 4);   // T2: and its record without a value
    EXPECT_EQ(runsOf(canvas, kRed), 3);
}

}  // namespace
}  // namespace calvex
