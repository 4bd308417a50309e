#include "record/memory_run.h"

#include <algorithm>

#include "files/save_grid_to_file.h"
#include "lists/grid.h"
#include "lists/headless_lists.h"
#include "live/poller.h"
#include "memory/memory_image.h"
#include "memory/record_row.h"
#include "memory/start_time.h"

namespace calvex {

MemoryRun::MemoryRun(Session& session, const RecordOptions& options, std::FILE* listing,
                     std::function<void(int)> wake)
    : m_session(session),
      m_options(options),
      m_listing(listing),
      m_wake(std::move(wake)),
      m_download(session, *this) {}

bool MemoryRun::start() {
    InstrumentState& s = m_session.state;
    s.ComPort = m_options.comPort();
    s.AutoScan = false;
    if (!Poller::openChosenPort(s, m_session.COM)) {
        m_session.dialogs.message("No device found: " + Poller::openFailure(s, m_session.COM), kCriticalStop);
        m_finished = true;
        m_exitStatus = 1;
        return false;
    }
    // A start time that will be refused is refused before the instrument is asked anything.
    if (m_options.set && !parseStartTime(m_options.start)) {
        m_session.dialogs.message("Invalid, comply with the data format properly: --start takes hh:mm:ss",
                                  kCriticalStop);
        m_finished = true;
        m_exitStatus = 2;
        return false;
    }
    // The panel has been polling before its download; here the port was opened a moment ago and
    // may hold what the line carried before (a pseudo-terminal keeps it): that is no reply.
    m_session.COM.clearInput();
    m_download.start();
    if (!m_download.running())
        downloaded();
    return true;
}

void MemoryRun::advance() {
    if (m_finished)
        return;
    if (m_download.running())
        m_download.advance();
    if (!m_download.running())
        downloaded();
}

// The download moves itself on when bytes arrive; once it is over, the program is woken at once
// to hear how it ended.
void MemoryRun::wakeIn(int ms) {
    if (m_wake)
        m_wake(m_download.running() ? ms : 0);
}

void MemoryRun::downloaded() {
    if (m_finished)
        return;
    m_finished = true;
    if (!m_sets) {
        // The download said why already: no data in the memory, or a failure.
        m_exitStatus = 1;
        return;
    }
    if (m_options.set) {
        m_exitStatus = writeSet();
        return;
    }
    std::fprintf(m_listing, "Set\tSampling\tRecords\n");
    for (const SetRow& set : *m_sets)
        std::fprintf(m_listing, "%d\t%d\t%d\n", set.number, set.sampling, set.records);
    std::fprintf(m_listing, "Remained\t%s\n", m_remain.c_str());
    std::fflush(m_listing);
    m_exitStatus = 0;
}

int MemoryRun::writeSet() {
    const int number = *m_options.set;
    const std::optional<CollectedSet> set = collectSet(m_session.MemoryImage, number);
    if (!set) {
        m_session.dialogs.message(
            "Logging set " + std::to_string(number) + " is not in the instrument's memory.", kCriticalStop);
        return 1;
    }
    std::vector<std::string> rows;
    const bool dual =
        decodeSetRows(m_session.state, set->records, set->sampling, *parseStartTime(m_options.start),
                      [&rows](std::size_t, std::string row) { rows.push_back(std::move(row)); });
    // A data list with no window: SaveGridToFile writes its grid as it writes a shown one.
    HeadlessTable list(ListKind::Data, dual);
    for (const std::string& row : rows)
        list.grid().addItem(row);
    if (m_options.output == "-") {
        std::string text;
        for (int i = 1; i < list.grid().rows(); ++i)
            appendListFileLine(text, list.grid().rowText(i), list.grid().cols());
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0
                   ? 0
                   : 1;
    }
    m_session.DataFileName = m_options.output;
    return SaveGridToFile(m_session, list) ? 0 : 1;
}

}  // namespace calvex
