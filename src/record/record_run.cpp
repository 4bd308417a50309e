#include "record/record_run.h"

#include <cerrno>
#include <cmath>
#include <csignal>

#include <time.h>

#include <ctime>
#include <filesystem>

#include "instrument/text_format.h"
#include "sinks/line_formats.h"

namespace calvex {

std::string defaultInstrumentName(const std::string& device) {
    const std::string byId = "/dev/serial/by-id/";
    if (device.rfind(byId, 0) == 0)
        return device.substr(byId.size());
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(device, error);
    if (!error) {
        for (const auto& entry : std::filesystem::directory_iterator(byId, error)) {
            std::error_code ignored;
            if (std::filesystem::canonical(entry.path(), ignored) == target && !ignored)
                return entry.path().filename().string();
        }
    }
    const std::string dev = "/dev/";
    return device.rfind(dev, 0) == 0 ? device.substr(dev.size()) : device;
}

std::string expandFileName(const std::string& pattern, const LocalDateTime& at) {
    std::tm fields{};
    fields.tm_year = at.year - 1900;
    fields.tm_mon = at.month - 1;
    fields.tm_mday = at.day;
    fields.tm_hour = at.hour;
    fields.tm_min = at.minute;
    fields.tm_sec = at.second;
    // The weekday and the day of the year, for %a, %u, %j, %V and their kin: timegm() fills them
    // in from the date alone.
    std::tm probe = fields;
    ::timegm(&probe);
    fields.tm_wday = probe.tm_wday;
    fields.tm_yday = probe.tm_yday;
    fields.tm_isdst = 0;  // %z is written only for a time that says whether it is summer time
    fields.tm_gmtoff = at.utcOffsetSeconds;
    fields.tm_zone = "";
    char name[4096];
    const std::size_t length = std::strftime(name, sizeof name, pattern.c_str(), &fields);
    return std::string(name, length);
}

RecordRun::RecordRun(Session& session, const RecordOptions& options, std::FILE* progress, std::FILE* journal)
    : m_session(session),
      m_options(options),
      m_progress(progress),
      m_poller(session.state, session.COM, session.clock, *this),
      m_recorder(session, *this, Recorder::kNoLineLimit),
      m_journal(session.clock,
                [journal](const std::string& line) {
                    std::fputs(line.c_str(), journal);
                    std::fflush(journal);
                }),
      m_journalOn(journal != nullptr) {}

RecordRun::~RecordRun() {
    m_session.COM.setActivityHandler(nullptr);
}

bool RecordRun::start() {
    InstrumentState& s = m_session.state;
    s.ComPort = m_options.comPort();
    s.AutoScan = m_options.autoScan();
    m_session.COM.setActivityHandler([this] { wake(); });
    if (!Poller::openChosenPort(s, m_session.COM)) {
        m_session.dialogs.message("No device found: " + Poller::openFailure(s, m_session.COM), kCriticalStop);
        finish(kExitError);
        return false;
    }
    m_comText = "COM" + std::to_string(s.ComPort);
    if (m_options.format == "csv") {
        m_format = std::make_unique<CsvFormat>(m_sampleAt);
    } else if (m_options.format == "line-protocol") {
        m_format = std::make_unique<LineProtocolFormat>(m_sampleAt, instrument(), s.TcType);
    }
    m_recorder.setLineFormat(m_format.get());
    s.SampleSeconds = static_cast<float>(m_options.every);
    const LocalDateTime now = m_session.clock.now();
    s.SampleTime = formatTimeOfDay(now.hour * 3600 + now.minute * 60 + now.second);
    m_session.SampleTicks = 0;
    m_startMs = m_session.clock.monotonicMs();
    showProgress();
    return true;
}

std::string RecordRun::instrument() const {
    if (!m_options.name.empty())
        return m_options.name;
    std::string name = defaultInstrumentName(m_session.COM.deviceName(m_session.state.ComPort));
    if (name.empty())
        name = "COM" + std::to_string(m_session.state.ComPort);
    // A tag holds what a device name may hold but a backslash, a quote or a control character.
    for (char& c : name)
        if (c == '\\' || c == '"' || static_cast<unsigned char>(c) < 32 || c == 127)
            c = '_';
    return name;
}

int RecordRun::msUntilSampleTick() const {
    return 1020 - m_session.clock.now().millisecond;
}

void RecordRun::tell(const std::string& text) {
    if (m_journalOn) {
        m_journal.event(text);
    } else if (m_progress != nullptr) {
        std::fprintf(m_progress, "\r\033[K%s calvex-record: %s\n",
                     RecordJournal::stamp(m_session.clock.now()).c_str(), text.c_str());
        showProgress();
    }
}

bool RecordRun::startFile(const std::string& path, bool append) {
    if (!m_recorder.startFile(path, append))
        return false;
    m_fileName = path;
    ++m_files;
    if (m_journalOn && m_recorder.cutBytes() > 0)
        m_journal.fileCutBack(m_recorder.cutBytes());
    return true;
}

// A file per day (or hour...): the name the sample's time gives changed. The new file is
// numbered from 1; one that exists already (a restart, an hour the clock went back over) is
// continued, never replaced.
void RecordRun::startNextFile() {
    const std::string name = expandFileName(m_options.output, m_sampleAt);
    if (name == m_fileName)
        return;
    m_recorder.toggle();  // closes the day's file; every line is on disk already
    std::error_code error;
    const bool exists = std::filesystem::exists(name, error);
    if (!startFile(name, exists)) {
        if (m_recorder.lastError() == EINTR)
            return;
        finish(m_recorder.lastRefusal() == Recorder::Refusal::OtherModel ? kExitModelChanged : kExitError);
        return;
    }
    tell("file " + name + " started");
}

void RecordRun::pollTick() {
    if (m_finished)
        return;
    m_poller.tick();
    lookAtStates();
    checkDuration();
}

void RecordRun::wake() {
    if (m_finished)
        return;
    m_poller.wake();
    lookAtStates();
}

// The journal's states as the poller leaves them: a port that failed is closed and reopened on
// the following ticks.
void RecordRun::lookAtStates() {
    if (!m_journalOn)
        return;
    const bool open = m_poller.phase() != Poller::Phase::Reopen && m_session.COM.isOpen();
    const std::string error = m_session.COM.lastError();
    m_journal.port(open, error.empty() ? "the port failed" : error);
    // Before the file starts the reading is not yet known to be lost: its pace is still learnt.
    if (m_recording)
        m_journal.reading(m_session.state.ReadingKnown, m_lastKnown);
    m_journal.tick();
}

void RecordRun::sampleTick() {
    if (m_finished)
        return;
    checkDuration();
    if (m_finished)
        return;
    // The line format follows the model, which only a frame tells. The file starts once the
    // instrument's pace is known (its second frame), so that a slow instrument's first interval,
    // which the 4-s rule alone would take for a silence, puts no "----" line in it.
    LocalDateTime now = m_session.clock.now();
    now.millisecond = 0;
    m_sampleAt = now;
    const bool due = m_recorder.sampleDue();
    if (due) {
        m_recorder.stampAt(now);
        // A clock set back makes samples of a time already recorded: the file keeps both, a
        // database keeps the later point of each second.
        const std::int64_t second = epochSeconds(now);
        if (m_lastSampleSecond != 0 && second <= m_lastSampleSecond)
            tell("the system clock went back to " + RecordJournal::stamp(now) +
                 ", a time already recorded: the lines repeat it" +
                 (m_sink != nullptr ? ", and their points replace those of the same second in the database"
                                    : ""));
        m_lastSampleSecond = second;
    }
    if (!m_recording && !m_session.state.Unit.isEmpty() && m_poller.paceKnown()) {
        const std::string name =
            m_options.slicedOutput() ? expandFileName(m_options.output, now) : m_options.output;
        if (!startFile(name, m_options.append)) {
            // An output that blocked until a signal came: the signal ends the run.
            if (m_recorder.lastError() == EINTR)
                return;
            // A service restarted onto the other model's file would only be refused again.
            finish(m_recorder.lastRefusal() == Recorder::Refusal::OtherModel ? kExitModelChanged
                                                                             : kExitError);
            return;
        }
        m_recording = true;
        m_dual = m_session.state.DualModel;
        m_unitAtStart = m_session.state.Unit;
        m_stats = std::make_unique<StatsRun>(m_dual ? 3 : 1);
    }
    if (m_recording && due && m_options.slicedOutput() && m_session.state.RecordingOn) {
        startNextFile();
        if (m_finished)
            return;
    }
    m_recorder.Timer2_Timer();
    switch (m_recorder.lastStop()) {
        case Recorder::Stop::ModelChanged:
            finish(kExitModelChanged);
            return;
        case Recorder::Stop::WriteFailed:
            if (m_recorder.lastError() != EINTR)
                finish(kExitError);
            return;
        default:
            break;
    }
    if (m_options.count && m_lines >= *m_options.count)
        finish(kExitOk);
}

void RecordRun::interrupt(int signal) {
    finish(signal == SIGINT ? kExitInterrupted : kExitOk);
}

void RecordRun::checkDuration() {
    if (m_options.duration &&
        m_session.clock.monotonicMs() - m_startMs >= std::llround(*m_options.duration * 1000))
        finish(kExitOk);
}

void RecordRun::finish(int status) {
    if (m_finished)
        return;
    m_finished = true;
    m_exitStatus = status;
    if (m_session.state.RecordingOn)
        m_recorder.toggle();  // closes the file; every line is on disk already
    m_session.COM.setActivityHandler(nullptr);
    if (m_progress != nullptr) {
        std::fputs("\r\033[K", m_progress);
        std::fflush(m_progress);
    }
}

void RecordRun::showComText(const std::string& text) {
    m_comText = text;
    showProgress();
}

void RecordRun::showReading() {
    if (m_session.state.ReadingKnown)
        m_lastKnown = m_session.clock.now();
    showProgress();
}

std::string RecordRun::labelT1() const {
    return displayedReading(m_session.state, m_session.state.T1Value);
}

std::string RecordRun::labelT2() const {
    return displayedReading(m_session.state, m_session.state.T2Value);
}

std::string RecordRun::labelT1T2() const {
    return displayedReading(m_session.state, m_session.state.T1T2Value);
}

void RecordRun::lineWritten() {
    const InstrumentState& s = m_session.state;
    ++m_lines;
    if (m_firstStamp.empty())
        m_firstStamp = s.SampleTime;
    m_lastStamp = s.SampleTime;
    // The figures stay in the unit the run started with, as the statistics windows keep theirs: a
    // line in another unit counts converted.
    std::vector<ReadingValue> values{measured(s, inUnit(m_unitAtStart, s.T1C, s.T1F, s.T1K))};
    if (m_dual) {
        values.push_back(measured(s, inUnit(m_unitAtStart, s.T2C, s.T2F, s.T2K)));
        values.push_back(measured(s, inUnit(m_unitAtStart, s.T1T2C, s.T1T2F, s.T1T2K)));
    }
    if (!s.ReadingKnown)
        ++m_linesWithoutReading;
    m_stats->sample(values, s.SampleTime);
    if (m_sink != nullptr)
        m_sink->point(samplePointOf(m_recorder.lastSample(), m_sampleAt, s.TcType.text()));
    showProgress();
}

void RecordRun::showProgress() {
    if (m_progress == nullptr || m_finished)
        return;
    const InstrumentState& s = m_session.state;
    std::string text = m_comText;
    if (s.Unit.isEmpty()) {
        text += "  waiting for the first reading";
    } else {
        text += "  T1 " + labelT1();
        if (s.DualModel)
            text += "  T2 " + labelT2() + "  T1-T2 " + labelT1T2();
        text += " " + s.Unit.text();
    }
    text += "  lines " + std::to_string(m_lines);
    std::fprintf(m_progress, "\r\033[K%s", text.c_str());
    std::fflush(m_progress);
}

std::string RecordRun::summary() const {
    std::string where = m_options.output == "-" ? "standard output" : m_options.output;
    if (m_files > 1)
        where += " (" + std::to_string(m_files) + " files)";
    const std::string torn = m_recorder.lastLineIncomplete()
                                 ? "calvex-record: the last line to " + where + " is incomplete\n"
                                 : "";
    if (m_lines == 0)
        return "calvex-record: no line written to " + where + "\n" + torn;
    const long long span = static_cast<long long>(m_lines - 1) * m_options.every;
    std::string text = "calvex-record: " + std::to_string(m_lines) + (m_lines == 1 ? " line" : " lines") +
                       " written to " + where + ", " + m_firstStamp + " to " + m_lastStamp + " (" +
                       std::to_string(span) + " s)\n";
    text += "  no reading: " + std::to_string(m_linesWithoutReading) +
            (m_linesWithoutReading == 1 ? " line (" : " lines (") +
            std::to_string(static_cast<long long>(m_linesWithoutReading) * m_options.every) + " s)\n";
    const char* names[] = {"T1", "T2", "T1-T2"};
    const std::string unit = m_unitAtStart.text();
    for (std::size_t i = 0; i < m_stats->channels(); ++i) {
        const ChannelFigures& c = m_stats->channel(i);
        const auto shown = [](const std::string& figure) {
            return figure.empty() ? std::string("----") : figure;
        };
        text += std::string("  ") + names[i] + ": maximum " + shown(c.extremes.max);
        if (!c.extremes.max.empty())
            text += " at " + c.extremes.maxTime;
        text += ", minimum " + shown(c.extremes.min);
        if (!c.extremes.min.empty())
            text += " at " + c.extremes.minTime;
        text += ", average " + shown(c.average) + " " + unit + "\n";
    }
    return text + torn;
}

}  // namespace calvex
