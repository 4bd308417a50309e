#pragma once

#include <QWidget>
#include <string>

#include "app/window_apis.h"

namespace calvex::test {

// The main window as the other windows see it: a plain widget to sit beside, and the poller.
class FakePanel : public PanelApi {
public:
    FakePanel() { window.setGeometry(100, 40, 344, 304); }
    QWidget* widget() override { return &window; }
    void setPolling(bool enabled) override { polls = enabled; }
    bool polling() const override { return polls; }
    int pollInterval() const override { return interval; }
    void showComPort() override {}
    std::string labelT1() const override { return {}; }
    std::string labelT2() const override { return {}; }
    std::string labelT1T2() const override { return {}; }

    QWidget window;
    bool polls = true;
    int interval = 150;
};

}  // namespace calvex::test
