#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/window_apis.h"

namespace calvex::test {

// The main window as the lists see it: a plain widget where the test puts it, and the poller switch.
class FakePanelWindow : public PanelApi {
public:
    FakePanelWindow() : m_widget(std::make_unique<QWidget>()) {}
    QWidget* widget() override { return m_widget.get(); }
    void setPolling(bool enabled) override { pollingOn = enabled; }
    bool polling() const override { return pollingOn; }
    int pollInterval() const override { return 150; }
    void showComPort() override {}
    std::string labelT1() const override { return {}; }
    std::string labelT2() const override { return {}; }
    std::string labelT1T2() const override { return {}; }

    bool pollingOn = true;

private:
    std::unique_ptr<QWidget> m_widget;
};

// The stored-data plot: remembers what was asked of it.
class FakePlot : public PlotApi {
public:
    bool visible() const override { return shown; }
    void close() override {
        events.push_back("close");
        shown = false;
    }
    void show(TableWindow* source) override {
        events.push_back("show");
        shown = true;
        lastSource = source;
    }

    bool shown = false;
    TableWindow* lastSource = nullptr;
    std::vector<std::string> events;
};

}  // namespace calvex::test
