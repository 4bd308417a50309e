#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "lists/grid.h"
#include "session/window_apis.h"

namespace calvex {

// A list with no window: the grid of the list's layout, and a caption no one sees.
class HeadlessTable : public TableWindow {
public:
    HeadlessTable(ListKind kind, bool dual);

    Grid& grid() override { return m_grid; }
    std::string caption() const override { return m_caption; }
    void setCaption(const std::string& caption) override { m_caption = caption; }
    bool dual() const override { return m_dual; }
    QWidget* widget() override { return nullptr; }

private:
    Grid m_grid;
    std::string m_caption;
    bool m_dual;
};

// The list windows for a program with no display: "Open" fills one of these as it would fill
// FileList1 or FileList2.
class HeadlessLists : public ListsApi {
public:
    TableWindow* window(ListKind kind, bool dual) override;
    TableWindow* show(ListKind kind, bool dual) override;
    void unload(ListKind kind, bool dual) override;
    // There is no instrument, so no real-time list to append to.
    void appendRealTimeRow(const std::string&) override {}

private:
    std::map<std::pair<ListKind, bool>, std::unique_ptr<HeadlessTable>> m_open;
};

}  // namespace calvex
