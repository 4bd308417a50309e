#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lists/grid.h"
#include "session/window_apis.h"
#include "support/fake_panel.h"
#include "support/fake_table.h"

namespace calvex::test {

// The list windows as fakes; logs "show File 2", "unload File 1" and so on.
class FakeLists : public ListsApi {
public:
    TableWindow* window(ListKind kind, bool dual) override {
        auto found = open.find({kind, dual});
        return found == open.end() ? nullptr : found->second.get();
    }
    TableWindow* show(ListKind kind, bool dual) override {
        events.push_back("show " + name(kind, dual));
        auto& table = open[{kind, dual}];
        if (!table)
            table = std::make_unique<FakeTable>(dual ? 6 : 4, dual);
        return table.get();
    }
    void unload(ListKind kind, bool dual) override {
        events.push_back("unload " + name(kind, dual));
        open.erase({kind, dual});
    }
    void appendRealTimeRow(const std::string&) override {}

    FakeTable* table(ListKind kind, bool dual) { return static_cast<FakeTable*>(window(kind, dual)); }

    std::map<std::pair<ListKind, bool>, std::unique_ptr<FakeTable>> open;
    std::vector<std::string> events;

private:
    static std::string name(ListKind kind, bool dual) {
        const char* names[] = {"RealTime", "File", "Data"};
        return std::string(names[static_cast<int>(kind)]) + (dual ? " 2" : " 1");
    }
};

}  // namespace calvex::test
