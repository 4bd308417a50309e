#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "session/window_apis.h"

namespace calvex::test {

// The main window as the other windows see it: a plain widget to sit beside, the poller's switch
// (every call remembered) and its interval.
class FakePanel : public PanelApi {
public:
    FakePanel() { window.setGeometry(100, 40, 344, 304); }
    QWidget* widget() override { return &window; }
    void setPolling(bool enabled) override {
        pollingOn = enabled;
        switches.push_back(enabled);
    }
    bool polling() const override { return pollingOn; }
    int pollInterval() const override { return interval; }
    void showComPort() override { ++comPortShown; }
    std::string labelT1() const override { return {}; }
    std::string labelT2() const override { return {}; }
    std::string labelT1T2() const override { return {}; }

    QWidget window;
    bool pollingOn = true;
    std::vector<bool> switches;
    int interval = 150;
    int comPortShown = 0;
};

}  // namespace calvex::test
