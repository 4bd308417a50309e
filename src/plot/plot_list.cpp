#include "plot/plot_list.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "canvas/chart_frame.h"
#include "instrument/text_format.h"
#include "lists/grid.h"
#include "plot/plot_fit.h"
#include "plot/plot_series.h"
#include "plot/plot_units.h"
#include "plot/record_fields.h"

namespace calvex {

namespace {

// The places (1-based in the range) k * count / parts for k = 1 .. parts, the division dropping
// the fraction, and whether a place is one of them. The places are walked in rising order, so each
// test is a comparison or two.
template <int Parts>
class Fractions {
public:
    explicit Fractions(long long count) {
        for (long long k = 1; k <= Parts; ++k)
            m_places[static_cast<std::size_t>(k - 1)] = k * count / Parts;
        std::sort(m_places.begin(), m_places.end());
    }
    // Places must be asked in rising order.
    bool contains(long long place) {
        while (m_next < m_places.size() && m_places[m_next] < place)
            ++m_next;
        return m_next < m_places.size() && m_places[m_next] == place;
    }

private:
    std::array<long long, Parts> m_places{};
    std::size_t m_next = 0;
};

// A record number or count as a whole number; values no list can reach are held at a bound.
long long wholeNumber(double value) {
    constexpr double kBound = 1e15;
    value = roundHalfEven(value);
    if (!(value > -kBound))
        return static_cast<long long>(-kBound);
    if (value > kBound)
        return static_cast<long long>(kBound);
    return static_cast<long long>(value);
}

}  // namespace

bool PlotList(Session& s, Canvas& canvas, const PlotCaption& caption, Grid* grid, bool dual,
              const std::vector<long long>& breaks) {
    const std::string remembered = caption.get ? caption.get() : std::string();
    const int unitColumn = plotUnitColumn(dual);
    if (grid == nullptr || grid->cols() <= unitColumn)
        return false;

    const double H = s.DataPlotHeight;
    const double B = s.DataPlotBase;
    const double L = s.DataPlotLeft;
    const double W = s.DataPlotWidth;
    const double tempMin = s.PlotTempMin;
    const double tempMax = s.PlotTempMax;
    const double span = tempMax - tempMin;
    const Rgb gridColor = paletteColor(static_cast<int>(wholeNumber(s.GridColor) & 15));
    const long long first = wholeNumber(s.PlotFirstRecord);
    const long long last = wholeNumber(s.PlotLastRecord);
    const long long count = wholeNumber(s.PlotRecordCount);
    const std::string plotUnit = s.PlotUnit;
    const std::vector<double> dottedGrid = dottedGridLines(tempMin, tempMax, plotAxisLabels(s));

    const std::span<const PlotSeries> series = plotSeries(dual);
    const std::size_t seriesCount = series.size();
    std::array<double, 3> previousY{};
    // Whether the series' previous record had a value to join this one's to.
    std::array<bool, 3> hasPrevious{};
    std::string unit;
    std::string progress;
    Fractions<5> fifths(count);
    Fractions<10> tenths(count);
    auto nextBreak = breaks.begin();

    for (long long i = first; i <= last; ++i) {
        if (caption.set) {
            // Built in place: the text of every record, for a caption that shows a few of them.
            progress = std::to_string(i);
            progress += " Records Completed";
            caption.set(progress);
        }
        if (i < 1 || i >= grid->rows())
            return false;
        const int row = static_cast<int>(i);

        s.DataPlotX = s.DataPlotX + s.DataPlotStep;
        const double xc = L + s.DataPlotX;
        while (nextBreak != breaks.end() && *nextBreak < i)
            ++nextBreak;
        if (nextBreak != breaks.end() && *nextBreak == i)
            hasPrevious.fill(false);

        // The grid goes down again before every record, over the curves drawn so far.
        canvas.line(L - 2, B - H / 2, L + W + 2, B - H / 2, gridColor, 1, LineStyle::Solid);
        for (const double fraction : dottedGrid) {
            const double y = B - H * fraction;
            canvas.line(L, y, L + W, y, gridColor, 1, LineStyle::Dotted);
        }

        // Columns 0 to 5 of the row; the unit column is 3 or 5.
        const PlotRecordFields fields = plotRecordFields(grid->rowText(row));
        unit.assign(fields[static_cast<std::size_t>(unitColumn)]);
        for (std::size_t k = 0; k < seriesCount; ++k) {
            const PlotReading reading = plotReading(fields[static_cast<std::size_t>(series[k].column)], unit,
                                                    plotUnit, series[k].difference);
            if (reading.kind == PlotReading::Kind::None) {
                // No reading: a gap in the curve, where a point at a made-up height would look
                // like a measurement.
                hasPrevious[k] = false;
                continue;
            }
            double h;
            if (reading.kind == PlotReading::Kind::Over) {
                h = H + 5;
            } else if (reading.kind == PlotReading::Kind::Under) {
                h = -3;
            } else {
                const double v = reading.value;
                if (v > tempMax) {
                    h = H + 5;
                } else if (v < tempMin) {
                    h = -3;
                } else {
                    h = span > 0 ? H * (v - tempMin) / span : 0;
                }
            }
            if (hasPrevious[k] && s.DataPlotPrevX != 0 && s.DataPlotX != 0)
                canvas.line(s.DataPlotPrevX, previousY[k], xc, B - h, series[k].color, 1, LineStyle::Solid);
            previousY[k] = B - h;
            hasPrevious[k] = true;
        }
        s.DataPlotPrevX = static_cast<float>(xc);

        const long long place = i - first + 1;
        const bool atFifth = fifths.contains(place);
        const bool atTenth = tenths.contains(place);
        if (place == 1 || atFifth) {
            canvas.line(xc, B, xc, B - H - 10, gridColor, 1, LineStyle::Dotted);
            const std::string time(fields[1]);
            double x = xc - canvas.textWidth(time) / 2;
            if (i == first)
                x -= 10;
            if (i == last)
                x -= 10;
            canvas.drawText(x, B + 10, time, kBlack);
        } else if (atTenth) {
            canvas.line(xc, B - H * 3.8 / 8, xc, B - H * 4.2 / 8, gridColor, 1, LineStyle::Solid);
        }
    }
    // The list's current cell ends on the last record's time, moved there once rather than at
    // every record, so a list view that follows the current cell is not dragged through them all.
    if (last >= first) {
        grid->setRow(static_cast<int>(last));
        grid->setCol(1);
    }
    if (caption.set)
        caption.set(remembered);
    return true;
}

}  // namespace calvex
