#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/clock.h"

namespace calvex {

// What calvex-record tells a journal (systemd's, or whatever keeps its standard error) while it
// runs: one line for each change of the port's or the reading's state, and for a file cut back,
// each line starting with the local date and time (ISO 8601, to the second). However the line
// flaps, there is at most one line a second: a change within a second of the last line waits for
// the first tick after that second; changes that undo each other meanwhile are told as one line
// with their number, and a state told once is not told again.
class RecordJournal {
public:
    RecordJournal(const Clock& clock, std::function<void(const std::string&)> write)
        : m_clock(clock), m_write(std::move(write)) {}

    // The present state, told on every look at it; only a change counts.
    void port(bool open, const std::string& reason);
    // `since`: when the reading was last known.
    void reading(bool known, const LocalDateTime& since);
    void fileCutBack(std::uint64_t bytes);
    // A change told by another part (the forwarding to a database), written at once.
    void event(const std::string& text) { writeLine(text); }
    // The program's timer: a change that waits is told once its second has come.
    void tick();

    // "2026-12-09T21:13:05"
    static std::string stamp(const LocalDateTime& t);

private:
    struct Track {
        bool told = true;     // the state the journal last told (or the start's)
        bool present = true;  // the state now
        int changes = 0;      // since the last line about it
        std::string text;     // the line for the present state
    };
    void note(Track& track, bool state, const std::string& text);
    bool tell(Track& track, const std::string& flapped);
    void writeLine(const std::string& text);

    const Clock& m_clock;
    std::function<void(const std::string&)> m_write;
    Track m_port;
    Track m_reading;
    std::string m_cut;
    bool m_wrote = false;
    std::int64_t m_lastLineMs = 0;
};

}  // namespace calvex
