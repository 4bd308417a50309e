#pragma once

#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lists/grid.h"
#include "session/window_apis.h"
#include "support/fake_panel.h"
#include "support/fake_table.h"
#include "support/test_session.h"
#include "ui/memory/memory_window.h"
#include "ui/memory/memory_windows.h"

namespace calvex::test {

// The panel as the download sees it: polling on or off, and its own port handler back on the
// port whenever polling is switched on.
class PortPanel : public FakePanel {
public:
    explicit PortPanel(SerialLink& port) : m_port(port) { window.setGeometry(0, 0, 344, 304); }
    void setPolling(bool enabled) override {
        FakePanel::setPolling(enabled);
        if (enabled)
            m_port.setActivityHandler([this] { ++activity; });
    }

    int activity = 0;

private:
    SerialLink& m_port;
};

struct FakeTableWindow : FakeTable {
    explicit FakeTableWindow(bool dual) : FakeTable(dual ? 6 : 4, dual, "Data List") {}
};

class FakeLists : public ListsApi {
public:
    TableWindow* window(ListKind kind, bool dual) override {
        const auto it = m_open.find({kind, dual});
        return it == m_open.end() ? nullptr : it->second.get();
    }
    FakeTableWindow* data(bool dual) { return static_cast<FakeTableWindow*>(window(ListKind::Data, dual)); }
    TableWindow* show(ListKind kind, bool dual) override {
        events.push_back("show " + name(kind, dual));
        auto& slot = m_open[{kind, dual}];
        if (!slot)
            slot = std::make_unique<FakeTableWindow>(dual);
        return slot.get();
    }
    void unload(ListKind kind, bool dual) override {
        events.push_back("unload " + name(kind, dual));
        m_open.erase({kind, dual});
    }
    void appendRealTimeRow(const std::string&) override {}

    std::vector<std::string> events;

private:
    static std::string name(ListKind kind, bool dual) {
        return std::string(kind == ListKind::Data ? "DataList" : "List") + (dual ? "2" : "1");
    }
    std::map<std::pair<ListKind, bool>, std::unique_ptr<FakeTableWindow>> m_open;
};

using Record = std::array<std::uint8_t, 7>;

inline Record dualRecord(int t1Tenths, int t2Tenths, std::uint8_t unit = 0, std::uint8_t type = 0) {
    return {unit, static_cast<std::uint8_t>(t1Tenths >> 8), static_cast<std::uint8_t>(t1Tenths & 0xFF),
            0x00, static_cast<std::uint8_t>(t2Tenths >> 8), static_cast<std::uint8_t>(t2Tenths & 0xFF),
            type};
}

inline Record singleRecord(int tenths, std::uint8_t unit = 0, std::uint8_t type = 0) {
    return {
        unit, static_cast<std::uint8_t>(tenths >> 8), static_cast<std::uint8_t>(tenths & 0xFF), 0xFF, 0, 0,
        type};
}

struct LoggedSet {
    int sampling = 1;
    std::vector<Record> records;
};

// The instrument's memory data: a lead byte, each set (header, sampling byte, records) and a
// trailing byte.
inline std::string memoryData(const std::vector<LoggedSet>& sets) {
    std::string data(1, '\x00');
    for (const LoggedSet& set : sets) {
        data += std::string("\x00\x55\xAA\x00", 4);
        data += static_cast<char>(set.sampling);
        for (const Record& r : set.records)
            data.append(reinterpret_cast<const char*>(r.data()), r.size());
    }
    data += '\x03';
    return data;
}

// Sets of dual records that fill exactly `bytesUsed` bytes (some set counts fit no size: then
// the closest smaller fill, padded with 0xFF).
inline std::vector<LoggedSet> setsFilling(std::size_t bytesUsed, int setCount) {
    const std::size_t payload = bytesUsed - 2 - 5 * static_cast<std::size_t>(setCount);
    const std::size_t records = payload / 7;
    std::vector<LoggedSet> sets(static_cast<std::size_t>(setCount));
    for (std::size_t r = 0; r < records; ++r) {
        LoggedSet& set = sets[r * static_cast<std::size_t>(setCount) / records];
        set.sampling = 1 + static_cast<int>(&set - sets.data());
        set.records.push_back(dualRecord(200 + static_cast<int>(r % 900), 100 + static_cast<int>(r % 700)));
    }
    return sets;
}

inline std::string pointerReply(int pointer) {
    return std::string{'\x02', static_cast<char>(pointer >> 8), static_cast<char>(pointer & 0xFF), '\x03'};
}

// The instrument at the other end of the line, answering "A" and "U" as the real one does: "A"
// gives the pointer; a "U" while idle arms the transfer and sends nothing, each further "U" the
// next 4096 bytes. Bytes go out at 960 a second.
struct FakeInstrument {
    std::string data;
    std::deque<std::string> pointerAnswers;  // answers to "A" in turn; then pointerReply(base + size)
    std::deque<std::string> uploadAnswers;   // when set, answers to "U" in turn instead of the data
    bool silent = false;
    std::size_t stopAfter = SIZE_MAX;  // the line goes dead after this many data bytes
    double bytesPerSecond = 960.0;

    bool armed = false;
    std::size_t offset = 0;
    std::size_t dataSent = 0;
    std::string outgoing;
    double budget = 0;

    void command(char c) {
        outgoing.clear();
        budget = 0;
        if (silent)
            return;
        if (c == 'A') {
            armed = false;
            if (!pointerAnswers.empty()) {
                outgoing = pointerAnswers.front();
                pointerAnswers.pop_front();
            } else {
                outgoing = pointerReply(35966 + static_cast<int>(data.size()));
            }
        } else if (c == 'U') {
            if (!uploadAnswers.empty()) {
                outgoing = uploadAnswers.front();
                uploadAnswers.pop_front();
            } else if (!armed) {
                armed = true;
                offset = 0;
            } else {
                const std::size_t n = std::min<std::size_t>(4096, data.size() - offset);
                outgoing = data.substr(offset, n);
                offset += n;
                if (offset >= data.size())
                    armed = false;
            }
        }
    }

    // What reaches the port in `ms` milliseconds.
    std::string send(int ms) {
        budget += bytesPerSecond * ms / 1000.0;
        std::size_t n = std::min(outgoing.size(), static_cast<std::size_t>(budget));
        if (dataSent + n > stopAfter)
            n = stopAfter > dataSent ? stopAfter - dataSent : 0;
        budget -= static_cast<double>(n);
        std::string bytes = outgoing.substr(0, n);
        outgoing.erase(0, n);
        dataSent += n;
        return bytes;
    }
};

// A Session over fakes with the Memory windows, a fake panel and fake lists, and an instrument
// on the line; run() plays the clock forward in 10 ms steps.
struct MemoryRig {
    TestSession t;
    PortPanel panel{t.port};
    FakeLists lists;
    MemoryWindows memory{t.session};
    FakeInstrument instrument;
    std::size_t commandsSeen = 0;

    MemoryRig() {
        t.session.panel = &panel;
        t.session.lists = &lists;
        t.port.setPortNumber(1);
        t.port.open();
        panel.setPolling(true);
        panel.switches.clear();
    }
    Session& session() { return t.session; }
    InstrumentState& state() { return t.session.state; }

    void run(int ms) {
        for (int elapsed = 0; elapsed < ms; elapsed += 10) {
            t.clock.advanceMs(10);
            while (commandsSeen < t.port.written.size())
                instrument.command(t.port.written[commandsSeen++]);
            const std::string bytes = instrument.send(10);
            if (!bytes.empty())
                t.port.feed(bytes);
            memory.tick();
        }
    }
    // Plays until the download has ended (or the limit passes).
    void runToEnd(int limitMs = 120000) {
        for (int elapsed = 0; elapsed < limitMs && memory.downloading(); elapsed += 10)
            run(10);
    }
    std::string label(const char* name) {
        MemoryWindow* w = memory.window();
        if (!w)
            return "<no window>";
        auto* label = w->findChild<QLabel*>(name);
        return label ? label->text().toStdString() : "<no label>";
    }
    std::vector<std::string> gridSetRows() {
        std::vector<std::string> rows;
        if (MemoryWindow* w = memory.window()) {
            for (int r = 1; r < w->gridSet().rows(); ++r)
                rows.push_back(w->gridSet().rowText(r));
        }
        return rows;
    }
};

}  // namespace calvex::test
