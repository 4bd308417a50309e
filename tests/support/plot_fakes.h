#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "lists/grid.h"
#include "session/session.h"
#include "session/window_apis.h"

namespace calvex::test {

// A file or data list as the plot sees it: a grid of the list's layout and a widget standing for
// its window (closing the list deletes the widget).
class FakeList : public TableWindow {
public:
    explicit FakeList(bool dual) : m_grid(dual ? 6 : 4, 1), m_dual(dual), m_widget(new QWidget) {}
    ~FakeList() override { delete m_widget.data(); }

    Grid& grid() override { return m_grid; }
    std::string caption() const override { return "File List"; }
    void setCaption(const std::string&) override {}
    bool dual() const override { return m_dual; }
    QWidget* widget() override { return m_widget; }

    void closeWindow() { delete m_widget.data(); }

    // Rows "n, time, T1, T2, T1-T2, unit" (dual) or "n, time, value, unit"; times 10:00:00 on, 2 s apart.
    void addRecord(const std::vector<std::string>& readings, const std::string& unit) {
        const int n = m_grid.rows();
        const int seconds = 36000 + 2 * (n - 1);
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
        std::string row = std::to_string(n) + "\t" + time;
        for (const std::string& r : readings)
            row += "\t" + r;
        m_grid.addItem(row + "\t" + unit);
    }

private:
    Grid m_grid;
    bool m_dual;
    QPointer<QWidget> m_widget;
};

// What a list's "Plot" command leaves in the plot variables for a whole list.
inline void setWholeListRange(Session& s, const std::string& unit, int rows) {
    s.PlotUnit = unit;
    s.PlotTempLimitMin = unit == "C" ? -200 : unit == "F" ? -328 : 0;
    s.PlotTempLimitMax = unit == "C" ? 1760 : 2000;
    s.PlotTempMin = s.PlotTempLimitMin;
    s.PlotTempMax = s.PlotTempLimitMax;
    s.PlotRowCount = static_cast<float>(rows);
    s.PlotFirstRecord = 1;
    s.PlotRecordCount = s.PlotLastRecord = static_cast<float>(rows);
}

// A plot window stand-in that remembers what the range dialog asked of it.
class FakePlotApi : public PlotApi {
public:
    bool visible() const override { return shown; }
    void close() override {
        ++closes;
        shown = false;
    }
    void show(TableWindow* source) override {
        sources.push_back(source);
        shown = true;
    }
    bool shown = true;
    int closes = 0;
    std::vector<TableWindow*> sources;
};

}  // namespace calvex::test
