#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "session/window_apis.h"
#include "support/fake_panel.h"

namespace calvex::test {

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
