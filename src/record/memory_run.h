#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "memory/memory_download.h"
#include "record/record_options.h"
#include "session/session.h"

namespace calvex {

// The instrument's memory read from the command line: the Memory window's download ("A", then
// "U" block by block, with its time limits and messages), then either the list of its sets or one
// set decoded into a data file as the data list's Save writes it.
class MemoryRun : private DownloadHost {
public:
    // `wake(ms)` asks the program to call advance() within ms milliseconds (-1: only on port activity).
    MemoryRun(Session& session, const RecordOptions& options, std::FILE* listing,
              std::function<void(int)> wake);

    // Opens the port and sends "A"; false (after saying why) when the port cannot be opened.
    bool start();
    void advance();
    bool finished() const { return m_finished; }
    int exitStatus() const { return m_exitStatus; }

private:
    void showMemoryWindow() override {}
    void showRemain(const std::string& text) override { m_remain = text; }
    void showProgress(const std::string&) override {}
    void listSets(const std::vector<SetRow>& sets) override { m_sets = sets; }
    void closeMemoryWindow() override {}
    void wakeIn(int ms) override;

    void downloaded();
    int writeSet();

    Session& m_session;
    const RecordOptions m_options;
    std::FILE* m_listing;
    std::function<void(int)> m_wake;
    MemoryDownload m_download;
    std::optional<std::vector<SetRow>> m_sets;
    std::string m_remain;
    bool m_finished = false;
    int m_exitStatus = 0;
};

}  // namespace calvex
