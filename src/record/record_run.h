#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "live/poller.h"
#include "live/recorder.h"
#include "record/record_journal.h"
#include "record/record_options.h"
#include "session/session.h"
#include "sinks/sample_point.h"
#include "stats/stats_run.h"

namespace calvex {

// Where each recorded sample goes beside the file (a database's spool).
class PointSink {
public:
    virtual ~PointSink() = default;
    virtual void point(const SamplePoint& point) = 0;
};

// The instrument tag of a device when --name gives none: its name under /dev/serial/by-id (the
// adapter's own, the same whichever ttyUSB it became), else its path under /dev.
std::string defaultInstrumentName(const std::string& device);

// The name a file pattern gives at a time: its strftime fields filled in.
std::string expandFileName(const std::string& pattern, const LocalDateTime& at);

// A headless recording: the panel's poller reads the instrument, the panel's recorder writes the
// lines at the sampling time, and the statistics' own rules sum them up at the end. The program
// drives it with the panel's timers (pollTick every 150 ms, sampleTick every 960 ms) and the
// port's activity; nothing here waits.
class RecordRun : private PollerView, private RecordingView {
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitError = 1;
    static constexpr int kExitModelChanged = 3;
    static constexpr int kExitInterrupted = 130;

    // `progress`: where the one-line progress goes (a terminal), or nullptr for none; `journal`:
    // where the changes of state go, one dated line each (see RecordJournal), or nullptr.
    RecordRun(Session& session, const RecordOptions& options, std::FILE* progress,
              std::FILE* journal = nullptr);
    ~RecordRun() override;
    RecordRun(const RecordRun&) = delete;
    RecordRun& operator=(const RecordRun&) = delete;

    // Opens the port as the panel does at start; false (after saying why) when it cannot.
    bool start();
    void pollTick();
    // Port activity, or the poller's wait running out.
    void wake();
    std::int64_t msUntilPollDeadline() const { return m_poller.msUntilDeadline(); }
    // The sampling timer: the program calls it on every second of the wall clock, so that each
    // line carries the time it was sampled at (the desktop's 960-ms timer would run 4 % fast).
    void sampleTick();
    // Until the next call of sampleTick() is due: just after the wall clock's next second.
    int msUntilSampleTick() const;
    // Every recorded sample also goes to `sink` (nullptr: none).
    void setSink(PointSink* sink) { m_sink = sink; }
    // The instrument tag: --name, or the name of the device that was opened.
    std::string instrument() const;
    // A line for the journal (or above the progress line on a terminal), dated.
    void tell(const std::string& text);
    // SIGINT or SIGTERM: the run ends now, with every sampled line already on disk.
    void interrupt(int signal);

    bool finished() const { return m_finished; }
    int exitStatus() const { return m_exitStatus; }
    long linesWritten() const { return m_lines; }
    // Lines, time span and the statistics of each channel, for standard error.
    std::string summary() const;

private:
    // PollerView
    void showComText(const std::string& text) override;
    void showReading() override;
    // RecordingView: the readings as the panel would show them; the panel's controls are not here.
    std::string labelT1() const override;
    std::string labelT2() const override;
    std::string labelT1T2() const override;
    void setRecordingFace(bool) override {}
    void setFileNameText(const std::string&) override {}
    void setCountText(const std::string&) override {}
    void setRecText(const std::string&) override {}
    void setRecVisible(bool) override {}
    void lineWritten() override;

    void checkDuration();
    void finish(int status);
    void showProgress();
    void lookAtStates();

    Session& m_session;
    const RecordOptions m_options;
    std::FILE* m_progress;
    Poller m_poller;
    Recorder m_recorder;
    std::unique_ptr<StatsRun> m_stats;  // from the first line on, for the model the file holds
    bool m_dual = false;
    ReadingValue m_unitAtStart;  // the unit of the summary's figures
    long m_linesWithoutReading = 0;
    std::string m_comText;
    std::string m_firstStamp;
    std::string m_lastStamp;
    bool startFile(const std::string& path, bool append);
    void startNextFile();

    LocalDateTime m_sampleAt;  // the present sample's date and time
    std::int64_t m_lastSampleSecond = 0;
    std::unique_ptr<Recorder::LineFormat> m_format;
    PointSink* m_sink = nullptr;
    std::string m_fileName;  // the file the lines go to now
    int m_files = 0;
    RecordJournal m_journal;
    bool m_journalOn = false;
    LocalDateTime m_lastKnown;  // when the reading was last known
    std::int64_t m_startMs = 0;
    long m_lines = 0;
    bool m_recording = false;
    bool m_finished = false;
    int m_exitStatus = kExitOk;
};

}  // namespace calvex
