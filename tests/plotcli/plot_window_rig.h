#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "files/data_file_reader.h"
#include "plot/plot_variables.h"
#include "session/session.h"
#include "support/temp_folder.h"
#include "support/test_session.h"
#include "ui/lists/list_window.h"
#include "ui/lists/list_windows.h"
#include "ui/plot/list_plot1.h"
#include "ui/plot/plot_range.h"
#include "ui/plot/plot_windows.h"

namespace calvex::test {

// A data file as a recording of `records` lines writes it: dual (T1, T2, T1-T2) or single, in
// `unit`, with marks here and there ("OL", "-OL", "----") as a real recording holds them.
inline std::string dataFileText(bool dual, int records, const std::string& unit) {
    std::string text;
    for (int i = 1; i <= records; ++i) {
        const int seconds = 36000 + 2 * i;
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
        const auto reading = [i](double base, double swing, int period) {
            char value[16];
            std::snprintf(value, sizeof value, "%.1f",
                          base + swing * std::sin(i / static_cast<double>(period)));
            return std::string(value);
        };
        std::string t1 = i % 37 == 0 ? "OL" : reading(150, 180, 9);
        std::string line = std::to_string(i) + "\t" + time + "\t" + t1;
        if (dual) {
            const std::string t2 = i % 41 == 0 ? "----" : i % 43 == 0 ? "-OL" : reading(60, 90, 13);
            line += "\t" + t2 + "\t" + reading(90, 150, 7);
        }
        text += line + "\t" + unit + "\r\n";
    }
    return text;
}

// The range dialog's boxes as the user fills them.
struct TypedRange {
    std::optional<std::pair<std::string, std::string>> temperatures;
    std::optional<std::pair<std::string, std::string>> records;
};

// calvex as the user runs it: "Open" the file into its file list, the list's "Plot", then with a
// range the plot's "Limit" and the range dialog's OK, and the plot window sized to `width` x
// `height` inside. `unit` stands in for a first record in that unit. Returns the window's chart.
class PlotWindowRig {
public:
    PlotWindowRig() {
        t.session.lists = &lists;
        t.session.plot = &plots;
    }
    ~PlotWindowRig() {
        plots.close();
        for (const bool dual : {false, true})
            lists.unload(ListKind::File, dual);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QImage chart(const std::string& path, const std::optional<std::string>& unit, const TypedRange& range,
                 int width, int height) {
        if (!OpenDataFile(t.session, path))
            return {};
        auto* list = dynamic_cast<ListWindow*>(lists.window(ListKind::File, true));
        if (list == nullptr)
            list = dynamic_cast<ListWindow*>(lists.window(ListKind::File, false));
        if (list == nullptr)
            return {};
        list->Toolbar1_ButtonClick("Plot");
        if (unit) {
            setPlotUnit(t.session, *unit);
            plots.show(nullptr);
        }
        if (range.temperatures || range.records) {
            plots.plotWindow()->Toolbar1_ButtonClick("Limit");
            PlotRange* dialog = plots.rangeWindow();
            const auto type = [dialog](const char* box, const std::string& text) {
                dialog->findChild<QLineEdit*>(box)->setText(QString::fromStdString(text));
            };
            if (range.temperatures) {
                type("TxtT1", range.temperatures->first);
                type("TxtT2", range.temperatures->second);
            }
            if (range.records) {
                type("TxtR1", range.records->first);
                type("TxtR2", range.records->second);
            }
            dialog->CmdOK_Click();
        }
        ListPlot1* plot = plots.plotWindow();
        if (plot == nullptr)
            return {};
        plot->resize(width, height);
        QCoreApplication::processEvents();
        if (plot->size() != QSize(width, height))
            return {};
        return plot->chartImage();
    }

    TestSession t;
    ListWindows lists{t.session};
    PlotWindows plots{t.session};
};

// What a program wrote to a stream it was given, such as standard error.
class CapturedStream {
public:
    CapturedStream() : m_file(std::tmpfile()) {}
    ~CapturedStream() {
        if (m_file != nullptr)
            std::fclose(m_file);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* file() const { return m_file; }
    std::string text() const {
        std::fflush(m_file);
        std::rewind(m_file);
        std::string out;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0;)
            out.append(buffer, n);
        return out;
    }

private:
    std::FILE* m_file;
};

}  // namespace calvex::test
