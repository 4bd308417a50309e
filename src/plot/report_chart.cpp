#include "plot/report_chart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>
#include <utility>

#include "canvas/axis_ticks.h"
#include "instrument/text_format.h"
#include "lists/grid.h"
#include "platform/civil_date.h"
#include "plot/plot_series.h"
#include "plot/plot_units.h"

namespace calvex {

namespace {

constexpr std::int64_t kDay = 86400;
constexpr Rgb kGridGrey{205, 205, 205};
constexpr Rgb kFrameGrey{80, 80, 80};
// Room between texts, and around the picture's edge.
constexpr double kPad = 8;
constexpr double kLabelGap = 12;
constexpr double kTickLength = 4;

// Steps of the time axis: seconds, minutes, hours (all dividing a day), days and weeks.
constexpr std::array<std::int64_t, 24> kTimeSteps{
    1,    2,    5,     10,    15,    30,   60,       120,      300,       600,       900,       1800,
    3600, 7200, 10800, 21600, 43200, kDay, 2 * kDay, 7 * kDay, 14 * kDay, 28 * kDay, 91 * kDay, 364 * kDay};

std::string clockText(std::int64_t seconds, bool withSeconds) {
    const std::int64_t s = seconds - floorDiv(seconds, kDay) * kDay;
    char text[16];
    if (withSeconds)
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(s / 3600),
                      static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
    else
        std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(s / 3600),
                      static_cast<int>(s / 60 % 60));
    return text;
}

std::string dayText(std::int64_t seconds, TimeDays days) {
    const std::int64_t day = floorDiv(seconds, kDay);
    if (days == TimeDays::Calendar) {
        const CivilDate d = civilFromDays(day);
        char text[32];
        std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(d.year), d.month, d.day);
        return text;
    }
    if (days == TimeDays::Counted)
        return "day " + std::to_string(day + 1);
    return {};
}

// Whether two texts' boxes, each widened by half a gap, share a point.
bool overlaps(const PlacedText& a, const PlacedText& b, double gap) {
    return a.x < b.x + b.width + gap && b.x < a.x + a.width + gap && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

struct TimeSteps {
    std::int64_t step = 0;
    bool seconds = false;
};

// The smallest round step whose labels stand apart at that width.
TimeSteps timeStep(const Canvas& canvas, double width, std::int64_t from, std::int64_t to, TimeDays days) {
    const double span = static_cast<double>(std::max<std::int64_t>(to - from, 1));
    const double dayWidth = days == TimeDays::None ? 0 : canvas.textWidth(dayText(from, days));
    for (const std::int64_t step : kTimeSteps) {
        const bool seconds = step % 60 != 0;
        const double labelWidth =
            std::max(canvas.textWidth(seconds ? "00:00:00" : "00:00"), dayWidth) + kLabelGap;
        if (width * static_cast<double>(step) / span >= labelWidth)
            return {step, seconds};
    }
    return {kTimeSteps.back(), false};
}

bool showsDays(std::int64_t from, std::int64_t to, TimeDays days) {
    if (days == TimeDays::Calendar)
        return true;
    return days == TimeDays::Counted && floorDiv(from, kDay) != floorDiv(to, kDay);
}

}  // namespace

std::vector<std::int64_t> timeAxisTicks(const Canvas& canvas, double width, std::int64_t from,
                                        std::int64_t to, TimeDays days) {
    std::vector<std::int64_t> ticks;
    if (to < from || width <= 0)
        return ticks;
    const TimeSteps steps = timeStep(canvas, width, from, to, days);
    const std::int64_t step = steps.step;
    // Steps of up to a day fall on midnight; longer ones on the first day's.
    std::int64_t t =
        step <= kDay ? floorDiv(from + step - 1, step) * step : floorDiv(from + kDay - 1, kDay) * kDay;
    for (; t <= to; t += step)
        ticks.push_back(t);
    return ticks;
}

std::vector<PlacedText> timeAxisLabels(const Canvas& canvas, double left, double width, double top,
                                       std::int64_t from, std::int64_t to, TimeDays days) {
    std::vector<PlacedText> placed;
    if (to < from || width <= 0)
        return placed;
    const bool withDays = showsDays(from, to, days);
    const bool seconds = timeStep(canvas, width, from, to, days).seconds;
    const double span = static_cast<double>(std::max<std::int64_t>(to - from, 1));
    const double canvasWidth = canvas.width();
    std::vector<std::int64_t> ticks = timeAxisTicks(canvas, width, from, to, days);
    // A single record, or a span between two ticks, still has its time said.
    if (ticks.empty())
        ticks.push_back(from);
    std::optional<PlacedText> lastTime;
    std::optional<PlacedText> lastDay;
    std::int64_t shownDay = 0;
    // A text centred on x as far as the canvas allows, measured.
    const auto centred = [&](std::string text, double x, double textTop) {
        PlacedText placedText{std::move(text), 0, textTop, 0, 0};
        placedText.width = canvas.textWidth(placedText.text);
        placedText.height = canvas.textHeight(placedText.text);
        placedText.x =
            std::clamp(x - placedText.width / 2, 0.0, std::max(0.0, canvasWidth - placedText.width));
        return placedText;
    };
    for (const std::int64_t t : ticks) {
        const double x = left + width * static_cast<double>(t - from) / span;
        const PlacedText time = centred(clockText(t, seconds), x, top);
        if (lastTime && overlaps(*lastTime, time, kLabelGap / 2))
            continue;
        placed.push_back(time);
        lastTime = time;
        const std::int64_t day = floorDiv(t, kDay);
        if (!withDays || (lastDay && day == shownDay))
            continue;
        const PlacedText d = centred(dayText(t, days), x, top + time.height);
        // A day that has no room waits for the next label.
        if (lastDay && overlaps(*lastDay, d, kLabelGap / 2))
            continue;
        placed.push_back(d);
        lastDay = d;
        shownDay = day;
    }
    return placed;
}

std::string temperatureAxisTitle(const std::string& unit) {
    if (unit == "C")
        return "Temperature (\u00b0C)";
    if (unit == "F")
        return "Temperature (\u00b0F)";
    return "Temperature (K)";
}

std::string reportTime(std::int64_t seconds, TimeDays days, bool withDay) {
    if (seconds == kNoTime)
        return {};
    const std::string time = clockText(seconds, true);
    if (!withDay || days == TimeDays::None)
        return time;
    return dayText(seconds, days) + " " + time;
}

std::string defaultReportTitle(const std::vector<std::string>& names, std::int64_t first, std::int64_t last,
                               TimeDays days) {
    std::string title;
    if (names.size() == 1)
        title = names.front();
    else if (names.size() == 2)
        title = names.front() + ", " + names.back();
    else if (!names.empty())
        title = names.front() + " \u2026 " + names.back() + " (" + std::to_string(names.size()) + " files)";
    if (first == kNoTime || last == kNoTime)
        return title;
    const bool withDay = showsDays(first, last, days);
    return title + ", " + reportTime(first, days, withDay) + " to " + reportTime(last, days, withDay);
}

namespace {

// One curve drawn with at most a few lines per pixel column: the points that fall in one column
// become a vertical line over their span, joined to the column before.
class ColumnCurve {
public:
    ColumnCurve(Canvas& canvas, Rgb color, int width) : m_canvas(canvas), m_color(color), m_width(width) {}

    void point(double x, double y) {
        const long column = std::lround(std::floor(x));
        if (m_open && column == m_column) {
            m_low = std::min(m_low, y);
            m_high = std::max(m_high, y);
            m_last = y;
            return;
        }
        const bool joined = m_open;
        const double fromX = m_x;
        const double fromY = m_last;
        close();
        if (joined)
            m_canvas.line(fromX, fromY, x, y, m_color, m_width, LineStyle::Solid);
        m_open = true;
        m_column = column;
        m_x = x;
        m_low = m_high = m_last = y;
    }
    // The curve breaks here.
    void gap() {
        close();
        m_open = false;
    }

private:
    void close() {
        if (m_open && m_high > m_low)
            m_canvas.line(m_x, m_low, m_x, m_high, m_color, m_width, LineStyle::Solid);
        // The next point joins the column's last one.
    }

    Canvas& m_canvas;
    Rgb m_color;
    int m_width;
    bool m_open = false;
    long m_column = 0;
    double m_x = 0;
    double m_low = 0;
    double m_high = 0;
    double m_last = 0;
};

// The usual spacing of the records' times: the median of the steps forward.
std::int64_t usualStep(const std::vector<std::int64_t>& seconds, long long first, long long last) {
    std::vector<std::int64_t> steps;
    steps.reserve(static_cast<std::size_t>(std::max<long long>(last - first, 0)));
    for (long long i = first; i < last; ++i) {
        const std::int64_t a = seconds[static_cast<std::size_t>(i - 1)];
        const std::int64_t b = seconds[static_cast<std::size_t>(i)];
        if (a != kNoTime && b != kNoTime && b > a)
            steps.push_back(b - a);
    }
    if (steps.empty())
        return 1;
    const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return std::max<std::int64_t>(*middle, 1);
}

// `text` cut at the end, with an ellipsis, to fit `width`.
std::string fitted(const Canvas& canvas, const std::string& text, double width) {
    if (canvas.textWidth(text) <= width)
        return text;
    std::string cut = text;
    while (!cut.empty()) {
        cut.pop_back();
        // Not inside a UTF-8 sequence.
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80)
            cut.pop_back();
        if (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0xC0)
            cut.pop_back();
        if (canvas.textWidth(cut + "\u2026") <= width)
            return cut + "\u2026";
    }
    return {};
}

}  // namespace

bool drawReportChart(const Session& s, Canvas& canvas, int width, int height, const Grid& grid, bool dual,
                     const ReportChart& chart) {
    const long long first = std::llround(s.PlotFirstRecord);
    const long long last = std::llround(s.PlotLastRecord);
    const int unitColumn = dual ? 5 : 3;
    if (grid.cols() <= unitColumn || first < 1 || last >= grid.rows() ||
        last > static_cast<long long>(chart.seconds.size()))
        return false;

    canvas.clear(kWhite);
    const double lineHeight = canvas.textHeight("0");
    const double W = width;
    const double H = height;

    // The title, then the temperature axis's title and the legend on one line.
    const std::string title = fitted(canvas, chart.title, W - 2 * kPad);
    canvas.drawText((W - canvas.textWidth(title)) / 2, kPad, title, kBlack);
    const double legendTop = kPad + lineHeight + kPad / 2;
    canvas.drawText(kPad, legendTop, temperatureAxisTitle(s.PlotUnit), kBlack);
    const std::span<const PlotSeries> series = plotSeries(dual);
    const std::size_t seriesCount = series.size();
    if (dual) {
        constexpr double kSample = 18;
        double x = W - kPad;
        for (std::size_t k = seriesCount; k-- > 0;) {
            const double textWidth = canvas.textWidth(series[k].name);
            x -= textWidth;
            canvas.drawText(x, legendTop, series[k].name, series[k].color);
            x -= 4 + kSample;
            const double y = legendTop + lineHeight / 2;
            canvas.line(x, y, x + kSample, y, series[k].color, 2, LineStyle::Solid);
            x -= kLabelGap;
        }
    }

    // The temperature axis's round ticks and the labels' width.
    const double tempMin = s.PlotTempMin;
    const double tempMax = s.PlotTempMax;
    const AxisTicks ticks = roundTicks(tempMin, tempMax);
    double labelWidth = 0;
    for (int k = 0; k < ticks.count; ++k)
        labelWidth = std::max(labelWidth, canvas.textWidth(tickLabel(ticks.at(k), ticks.step)));

    const double top = legendTop + lineHeight + kPad;
    const double left = kPad + labelWidth + kTickLength + 4;
    const double right = W - kPad - canvas.textWidth("00:00:00") / 2;
    const bool twoLines = chart.days != TimeDays::None;
    // The time labels stand clear of the lowest temperature label, centred on the baseline.
    const double labelDrop = std::max(kTickLength + 2, lineHeight / 2 + 2);
    const double base = H - kPad - lineHeight - kPad / 2 - (twoLines ? 2 : 1) * lineHeight - labelDrop;
    const double plotWidth = std::max(1.0, right - left);
    const double plotHeight = std::max(1.0, base - top);
    const double span = tempMax - tempMin;
    const auto yOf = [&](double v) {
        if (!(span > 0))
            return base - plotHeight / 2;
        return base - plotHeight * (std::clamp(v, tempMin, tempMax) - tempMin) / span;
    };

    // Every label on the temperature axis stands clear of the next.
    const double tickSpacing = span > 0 ? plotHeight * ticks.step / span : plotHeight;
    const int every = std::max(1, static_cast<int>(std::ceil((lineHeight + 2) / std::max(tickSpacing, 1.0))));
    for (int k = 0; k < ticks.count; ++k) {
        const double y = yOf(ticks.at(k));
        canvas.line(left, y, left + plotWidth, y, kGridGrey, 1, LineStyle::Solid);
        canvas.line(left - kTickLength, y, left, y, kFrameGrey, 1, LineStyle::Solid);
        if (k % every != 0)
            continue;
        const std::string label = tickLabel(ticks.at(k), ticks.step);
        canvas.drawText(left - kTickLength - 4 - canvas.textWidth(label), y - lineHeight / 2, label, kBlack);
    }

    // The time line of the records drawn.
    std::int64_t from = kNoTime;
    std::int64_t to = kNoTime;
    for (long long i = first; i <= last; ++i) {
        const std::int64_t t = chart.seconds[static_cast<std::size_t>(i - 1)];
        if (t == kNoTime)
            continue;
        if (from == kNoTime || t < from)
            from = t;
        if (to == kNoTime || t > to)
            to = t;
    }
    const double timeSpan = from == kNoTime ? 1.0 : static_cast<double>(std::max<std::int64_t>(to - from, 1));
    const auto xOf = [&](std::int64_t t) {
        if (to == from)
            return left + plotWidth / 2;
        return left + plotWidth * static_cast<double>(t - from) / timeSpan;
    };
    if (from != kNoTime) {
        for (const std::int64_t t : timeAxisTicks(canvas, plotWidth, from, to, chart.days)) {
            const double x = xOf(t);
            canvas.line(x, top, x, base, kGridGrey, 1, LineStyle::Solid);
            canvas.line(x, base, x, base + kTickLength, kFrameGrey, 1, LineStyle::Solid);
        }
    }
    // The frame over the grid.
    canvas.line(left, top, left + plotWidth, top, kFrameGrey, 1, LineStyle::Solid);
    canvas.line(left, base, left + plotWidth, base, kFrameGrey, 1, LineStyle::Solid);
    canvas.line(left, top, left, base, kFrameGrey, 1, LineStyle::Solid);
    canvas.line(left + plotWidth, top, left + plotWidth, base, kFrameGrey, 1, LineStyle::Solid);

    if (from != kNoTime) {
        for (const PlacedText& label :
             timeAxisLabels(canvas, left, plotWidth, base + labelDrop, from, to, chart.days)) {
            if (to == from) {
                // One moment: its label under the middle.
                canvas.drawText(left + plotWidth / 2 - label.width / 2, label.y, label.text, kBlack);
                continue;
            }
            canvas.drawText(label.x, label.y, label.text, kBlack);
        }
    }
    const std::string timeTitle = "Time";
    canvas.drawText(left + plotWidth / 2 - canvas.textWidth(timeTitle) / 2, H - kPad - lineHeight, timeTitle,
                    kBlack);

    // The curves, over the grid.
    const int penWidth = std::max(1, static_cast<int>(std::lround(std::min(W, H) / 1000.0)));
    const std::int64_t gapLimit = 3 * usualStep(chart.seconds, first, last);
    std::vector<ColumnCurve> curves;
    for (std::size_t k = 0; k < seriesCount; ++k)
        curves.emplace_back(canvas, series[k].color, penWidth);
    auto nextBreak = chart.breaks.begin();
    std::int64_t previous = kNoTime;
    std::string unit;
    const std::string plotUnit = s.PlotUnit;
    for (long long i = first; i <= last; ++i) {
        const std::int64_t t = chart.seconds[static_cast<std::size_t>(i - 1)];
        while (nextBreak != chart.breaks.end() && *nextBreak < i)
            ++nextBreak;
        const bool fileStart = nextBreak != chart.breaks.end() && *nextBreak == i;
        if (t == kNoTime || fileStart || (previous != kNoTime && (t - previous > gapLimit || t < previous)))
            for (ColumnCurve& curve : curves)
                curve.gap();
        previous = t;
        if (t == kNoTime)
            continue;
        const PlotRecordFields fields = plotRecordFields(grid.rowText(static_cast<int>(i)));
        unit.assign(fields[static_cast<std::size_t>(unitColumn)]);
        const double x = xOf(t);
        for (std::size_t k = 0; k < seriesCount; ++k) {
            const PlotReading reading = plotReading(fields[static_cast<std::size_t>(series[k].column)], unit,
                                                    plotUnit, series[k].difference);
            if (reading.kind == PlotReading::Kind::None) {
                curves[k].gap();
                continue;
            }
            double y;
            if (reading.kind == PlotReading::Kind::Over)
                y = top;
            else if (reading.kind == PlotReading::Kind::Under)
                y = base;
            else
                y = yOf(reading.value);
            curves[k].point(x, y);
        }
    }
    for (ColumnCurve& curve : curves)
        curve.gap();
    return true;
}

}  // namespace calvex
