#pragma once

#include <string>
#include <vector>

#include "lists/grid.h"
#include "session/window_apis.h"

namespace calvex::test {

// A list window without a window: a grid and a caption whose every change is remembered.
class FakeTable : public TableWindow {
public:
    FakeTable(int cols, bool dual, std::string caption = {})
        : m_grid(cols, 1), m_dual(dual), m_caption(std::move(caption)) {}
    Grid& grid() override { return m_grid; }
    std::string caption() const override { return m_caption; }
    void setCaption(const std::string& caption) override {
        m_caption = caption;
        captions.push_back(caption);
    }
    bool dual() const override { return m_dual; }
    QWidget* widget() override { return nullptr; }

    std::vector<std::string> captions;

private:
    Grid m_grid;
    bool m_dual;
    std::string m_caption;
};

}  // namespace calvex::test
