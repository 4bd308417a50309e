#include "plot/plot_list.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "instrument/text_format.h"
#include "lists/grid.h"
#include "plot/plot_units.h"

namespace calvex {

namespace {

struct Series {
    int column;
    Rgb color;
    bool difference;
};

constexpr std::array<Series, 3> kDualSeries{{{2, kBlack, false}, {3, kBlue, false}, {4, kRed, true}}};
constexpr std::array<Series, 1> kSingleSeries{{{2, kBlack, false}}};

// Dotted grid lines, as eighths of the height above the baseline, in the order they are drawn.
constexpr std::array<int, 7> kDottedEighths{1, 7, 6, 5, 8, 3, 2};

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

// The fields of one row, looked up once in one pass: a field the row does not have is empty.
template <std::size_t Count>
std::array<std::string_view, Count> fieldsOf(std::string_view row) {
    std::array<std::string_view, Count> fields{};
    std::size_t field = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (row[i] != '\t')
            continue;
        fields[field] = row.substr(start, i - start);
        start = i + 1;
        if (++field == Count)
            return fields;
    }
    fields[field] = row.substr(start);
    return fields;
}

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

bool PlotList(Session& s, Canvas& canvas, const PlotCaption& caption, Grid* grid, bool dual) {
    const std::string remembered = caption.get ? caption.get() : std::string();
    const int unitColumn = dual ? 5 : 3;
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

    const Series* series = dual ? kDualSeries.data() : kSingleSeries.data();
    const std::size_t seriesCount = dual ? kDualSeries.size() : kSingleSeries.size();
    std::array<double, 3> previousY{};
    // Whether the series' previous record had a value to join this one's to.
    std::array<bool, 3> hasPrevious{};
    std::string unit;
    std::string progress;
    Fractions<5> fifths(count);
    Fractions<10> tenths(count);

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

        // The grid goes down again before every record, over the curves drawn so far.
        canvas.line(L - 2, B - H / 2, L + W + 2, B - H / 2, gridColor, 1, LineStyle::Solid);
        for (const int eighths : kDottedEighths) {
            const double y = B - eighths * H / 8;
            canvas.line(L, y, L + W, y, gridColor, 1, LineStyle::Dotted);
        }

        // Columns 0 to 5 of the row; the unit column is 3 or 5.
        const std::array<std::string_view, 6> fields = fieldsOf<6>(grid->rowText(row));
        unit.assign(fields[static_cast<std::size_t>(unitColumn)]);
        for (std::size_t k = 0; k < seriesCount; ++k) {
            const std::string_view cell = fields[static_cast<std::size_t>(series[k].column)];
            // The marks are told apart before any number is read from them: the 0 of "-OL",
            // converted, would lie above an axis wholly below zero (or below 273.2 K) and put a
            // negative overload at the top.
            if (cell == "----" || cell.empty()) {
                // No reading: a gap in the curve, where a point at a made-up height would look
                // like a measurement.
                hasPrevious[k] = false;
                continue;
            }
            double h;
            if (cell == "OL") {
                h = H + 5;
            } else if (cell == "-OL") {
                h = -3;
            } else {
                const double v = toPlotUnit(leadingNumber(cell), unit, plotUnit, series[k].difference);
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
