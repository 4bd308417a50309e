#include "panel/recorder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "files/save_as_dialog.h"
#include "instrument/text_format.h"

namespace calvex {

namespace {

std::string fileTitle(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What a stopped recording leaves: the file and its number of lines.
std::string fileHolds(const std::string& path, long lines) {
    return path + "\n\nThe file holds " + std::to_string(lines) + (lines == 1 ? " line." : " lines.");
}

}  // namespace

Recorder::~Recorder() {
    closeFile();
}

void Recorder::toggle() {
    if (m_session.state.RecordingOn) {
        stopByUser();
    } else {
        start();
    }
}

void Recorder::start() {
    SaveAsDialog(m_session);
    if (m_session.FileChosen)
        startFile(m_session.DataFileName);
}

bool Recorder::startFile(const std::string& path, bool append) {
    m_session.DataFileName = path;
    m_toStandardOutput = path == "-";
    m_numberBase = 0;
    m_wholeBytes = 0;
    std::FILE* file = m_toStandardOutput ? stdout : std::fopen(path.c_str(), append ? "a+b" : "wb");
    int error = errno;
    if (file != nullptr && append && !m_toStandardOutput && !continueFile(file)) {
        error = errno;
        std::fclose(file);
        file = nullptr;
    }
    if (file == nullptr) {
        m_session.FileChosen = false;
        m_session.dialogs.message(
            "The file could not be opened for recording:\n" + path + "\n\nRecording has not started.",
            kCriticalStop, std::strerror(error));
        return false;
    }
    m_file = file;
    m_lastStop = Stop::None;
    DualModelAtStart = m_session.state.DualModel;
    m_view.setFileNameText(fileTitle(m_session.DataFileName));
    m_view.setRecordingFace(true);
    m_session.state.RecordingOn = true;
    m_view.setRecText("Rec");
    m_view.setRecVisible(true);
    return true;
}

// A file continued after a restart: its lines stay, a line torn by a crash or a full disk is cut
// off, and the numbering follows its last whole line.
bool Recorder::continueFile(std::FILE* file) {
    // One pass in chunks, so a file of any length is continued in bounded memory: the lines, where
    // the last whole one ends, and the start of that line (where its number stands).
    constexpr std::size_t kNumberRoom = 32;
    long lines = 0;
    std::uintmax_t position = 0;
    std::string current;
    std::string last;
    char chunk[65536];
    std::fseek(file, 0, SEEK_SET);
    m_wholeBytes = 0;
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
        for (std::size_t k = 0; k < got; ++k, ++position) {
            if (chunk[k] == '\n') {
                ++lines;
                m_wholeBytes = position + 1;
                last.swap(current);
                current.clear();
            } else if (current.size() < kNumberRoom) {
                current += chunk[k];
            }
        }
    }
    if (std::ferror(file))
        return false;
    if (m_wholeBytes < position) {
        std::error_code cut;
        std::filesystem::resize_file(m_session.DataFileName, m_wholeBytes, cut);
        if (cut) {
            errno = cut.value();
            return false;
        }
    }
    const double number = leadingNumber(last);
    m_numberBase = number >= 1 ? std::lround(number) : lines;
    return std::fseek(file, 0, SEEK_END) == 0;
}

long Recorder::nextLineNumber() const {
    return m_numberBase + std::lround(m_session.RecordCount) + 1;
}

void Recorder::stopByUser() {
    m_lastStop = Stop::ByUser;
    m_session.state.RecordingOn = false;
    m_view.setRecordingFace(false);
    m_view.setRecVisible(false);
    m_view.setCountText("");
    m_view.setFileNameText("");
    m_session.RecordCount = 0;
    closeFile();
    m_session.FileChosen = false;
}

void Recorder::stopAutomatically() {
    m_session.state.RecordingOn = false;
    m_view.setRecordingFace(false);
    m_view.setRecText("");
    m_view.setCountText("");
    m_session.RecordCount = 0;
    closeFile();
}

void Recorder::closeFile() {
    if (m_file != nullptr && !m_toStandardOutput)
        std::fclose(m_file);
    m_file = nullptr;
}

bool Recorder::writeLine(const std::string& sample) {
    const std::string line = std::to_string(nextLineNumber()) + "\t" + sample + "\r\n";
    errno = 0;
    const bool written = std::fwrite(line.data(), 1, line.size(), m_file) == line.size();
    if (!written || std::fflush(m_file) != 0) {
        reportWriteFailure(errno);
        return false;
    }
    m_wholeBytes += line.size();
    m_session.RecordCount += 1;
    m_view.lineWritten();
    return true;
}

// A line that cannot be written ends the recording, and the user learns what the file holds. A
// part of the line may have reached the disk (a full disk takes what fits): it is cut off before
// the user is told, so the file ends on its last whole line and the count below is exact.
void Recorder::reportWriteFailure(int error) {
    const std::string path = m_session.DataFileName;
    const long lines = nextLineNumber() - 1;
    stopAutomatically();
    m_lastStop = Stop::WriteFailed;
    std::error_code cut;
    if (!m_toStandardOutput && std::filesystem::is_regular_file(path, cut))
        std::filesystem::resize_file(path, m_wholeBytes, cut);
    const std::string tail = cut ? "\nIts last line may be incomplete: " + cut.message() + "." : "";
    m_view.setRecVisible(false);
    m_view.setFileNameText("");
    m_session.FileChosen = false;
    m_session.dialogs.notify(
        "Recording stopped: a line could not be written to\n" + fileHolds(path, lines) + tail, kCriticalStop,
        error != 0 ? std::strerror(error) : "Write error");
}

// The sample clock: the start time of the main window plus whole sampling periods, not a
// reading of the computer's clock. A period of a whole day would give the same text, so the
// clock is then advanced once more.
std::string Recorder::advanceSampleClock() {
    InstrumentState& s = m_session.state;
    const long long period = std::llround(s.SampleSeconds);
    const long long old = parseTimeOfDay(s.SampleTime).value_or(0);
    std::string next = formatTimeOfDay(old + period);
    if (next == s.SampleTime)
        next = formatTimeOfDay(old + 2 * period);
    s.SampleTime = next;
    return next;
}

std::string Recorder::sampleText() const {
    const InstrumentState& s = m_session.state;
    const auto reading = [&s](const std::string& label) { return s.ReadingKnown ? label : "----"; };
    std::string sample = s.SampleTime + "\t" + reading(m_view.labelT1());
    if (s.DualModel)
        sample += "\t" + reading(m_view.labelT2()) + "\t" + reading(m_view.labelT1T2());
    return sample + "\t" + s.Unit.text();
}

void Recorder::Timer2_Timer() {
    // Nothing in a tick waits: its messages are shown without holding it, so every tick samples.
    // Should a window it touches let events run, a tick nested in it would sample twice; it is
    // dropped.
    if (m_inTick)
        return;
    m_inTick = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{m_inTick};

    InstrumentState& s = m_session.state;
    if (!(static_cast<float>(m_session.SampleTicks) >= s.SampleSeconds || m_session.SampleTicks == 0)) {
        ++m_session.SampleTicks;
        return;
    }
    advanceSampleClock();
    const std::string sample = sampleText();

    if (s.RecordingOn) {
        const bool full = m_maxLines != kNoLineLimit && m_session.RecordCount == m_maxLines;
        if (full || s.DualModel != DualModelAtStart) {
            const bool modelChanged = s.DualModel != DualModelAtStart;
            const std::string why = modelChanged ? "the instrument's model changed"
                                                 : "the file holds the most lines a recording may hold";
            const long lines = nextLineNumber() - 1;
            stopAutomatically();
            m_lastStop = modelChanged ? Stop::ModelChanged : Stop::LineLimit;
            m_session.dialogs.notify(
                "Recording stopped: " + why + ".\n" + fileHolds(m_session.DataFileName, lines),
                kCriticalStop);
        } else if (writeLine(sample)) {
            m_view.setCountText(std::to_string(std::lround(m_session.RecordCount)));
            m_view.setRecText("Rec");
        }
    } else {
        m_view.setFileNameText("");
        m_view.setCountText("");
        m_view.setRecText("");
        m_session.RecordCount = 0;
    }

    if (m_session.ListOpen && m_session.lists != nullptr)
        m_session.lists->appendRealTimeRow(sample);

    if (s.AvgOpen && m_session.stats != nullptr)
        m_session.stats->closeRunsOfOtherModel();
    m_session.SampleTicks = 1;
}

}  // namespace calvex
