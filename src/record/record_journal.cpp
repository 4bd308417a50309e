#include "record/record_journal.h"

#include <cstdio>

namespace calvex {

std::string RecordJournal::stamp(const LocalDateTime& t) {
    return localStamp(t);
}

void RecordJournal::note(Track& track, bool state, const std::string& text) {
    if (state == track.present)
        return;
    track.present = state;
    track.text = text;
    ++track.changes;
    tick();
}

void RecordJournal::port(bool open, const std::string& reason) {
    note(m_port, open, open ? "port reopened" : "port lost: " + reason);
}

void RecordJournal::reading(bool known, const LocalDateTime& since) {
    note(m_reading, known, known ? "reading back" : "reading unknown since " + stamp(since));
}

void RecordJournal::fileCutBack(std::uint64_t bytes) {
    m_cut = "file cut back by " + std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes") +
            " (a torn last line)";
    tick();
}

// One line for a track that changed: its present state, or, when it came back to the state told
// last, how often it went and came back.
bool RecordJournal::tell(Track& track, const std::string& flapped) {
    if (track.changes == 0)
        return false;
    std::string text;
    if (track.present != track.told) {
        text = track.text;
        if (track.changes > 1)
            text += " (" + std::to_string(track.changes) + " changes since the last line)";
    } else {
        const int times = track.changes / 2;
        text = flapped + " " + std::to_string(times) + (times == 1 ? " time" : " times");
    }
    track.told = track.present;
    track.changes = 0;
    writeLine(text);
    return true;
}

void RecordJournal::tick() {
    if (m_wrote && m_clock.monotonicMs() - m_lastLineMs < 1000)
        return;
    if (!m_cut.empty()) {
        writeLine(m_cut);
        m_cut.clear();
        return;
    }
    if (tell(m_port, m_port.present ? "port lost and reopened" : "port reopened and lost again"))
        return;
    tell(m_reading, m_reading.present ? "reading unknown and back" : "reading back and unknown again");
}

void RecordJournal::writeLine(const std::string& text) {
    m_wrote = true;
    m_lastLineMs = m_clock.monotonicMs();
    m_write(stamp(m_clock.now()) + " calvex-record: " + text + "\n");
}

}  // namespace calvex
