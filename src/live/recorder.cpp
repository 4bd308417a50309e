#include "live/recorder.h"

#include <fcntl.h>
#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "files/data_file_parser.h"
#include "files/save_as_dialog.h"
#include "instrument/text_format.h"

namespace calvex {

namespace {

constexpr int kInformation = 64;

std::string fileTitle(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What a stopped recording leaves: the file and its number of lines.
std::string fileHolds(const std::string& path, std::int64_t lines) {
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
    m_lineEnd = "\r\n";
    m_owedLineEnd.clear();
    m_refusal = Refusal::None;
    m_error = 0;
    m_cutBytes = 0;
    m_lastLineIncomplete = false;
    // A continued file owes its header only when it turns out empty.
    m_owedHeader = m_format != nullptr && !append ? m_format->header(m_session.state.DualModel) : "";
    std::FILE* file = nullptr;
    if (m_toStandardOutput) {
        file = stdout;
    } else if (append) {
        file = openToContinue(path);
        if (file == nullptr) {
            m_session.FileChosen = false;
            return false;
        }
    } else {
        file = std::fopen(path.c_str(), "wb");
    }
    if (file == nullptr) {
        const int error = errno;
        m_session.FileChosen = false;
        m_refusal = Refusal::NotOpened;
        m_error = error;
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

// A file continued after a restart. Nothing is written to it before it is known to be a regular
// file holding data of this program and of the present model: the kind is looked at before
// opening (opening a pipe waits for a writer, opening a device may act on it) and again on what
// was opened, which is opened without waiting.
std::FILE* Recorder::openToContinue(const std::string& path) {
    const auto refuse = [&](Refusal refusal, const std::string& text, const std::string& reason) {
        m_refusal = refusal;
        m_session.dialogs.message(text + "\n" + path + "\n\nRecording has not started.", kCriticalStop,
                                  reason);
        return static_cast<std::FILE*>(nullptr);
    };
    const std::string notOpened = "The file could not be opened for recording:";
    const auto notRegular = [&](mode_t mode) {
        return refuse(Refusal::NotRegular, notOpened,
                      std::string("It is ") + fileKind(mode) + ", not a regular file.");
    };
    struct stat before {};
    if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode))
        return notRegular(before.st_mode);
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return refuse(Refusal::NotOpened, notOpened, std::strerror(errno));
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        const int error = errno;
        ::close(fd);
        return error != 0 ? refuse(Refusal::NotOpened, notOpened, std::strerror(error))
                          : notRegular(opened.st_mode);
    }
    std::string why;
    const Refusal refusal = m_format != nullptr ? continueFormatted(fd, why) : continueFile(fd, path, why);
    if (refusal != Refusal::None) {
        ::close(fd);
        switch (refusal) {
            case Refusal::Foreign:
                return refuse(refusal,
                              "The file is not a data file of this program and has not been changed:", why);
            case Refusal::OtherModel:
                return refuse(
                    refusal,
                    "The file holds data of the other instrument model and has not been changed:", why);
            default:
                return refuse(refusal, notOpened, why);
        }
    }
    std::FILE* file = ::fdopen(fd, "ab");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        return refuse(Refusal::NotOpened, notOpened, std::strerror(error));
    }
    return file;
}

namespace {

// A record's bytes as a line of text can show them.
std::string shownBytes(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (u < 32 || u >= 127) {
            const char* hex = "0123456789ABCDEF";
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

const char* modelName(bool dual) {
    return dual ? "dual-input" : "single-input";
}

}  // namespace

// The file is read with the reader's own rules (the line ends it accepts, the model its first
// line gives, the shape of a record), in bounded memory: no record is longer than a few dozen
// bytes, so a longer run of bytes without a line end is not a data file.
Recorder::Refusal Recorder::continueFile(int fd, const std::string& path, std::string& why) {
    constexpr std::size_t kLongestRecord = 64;
    // The model is the one its first record has (the number of its readings).
    struct Records : DataFileSink {
        bool dual = false;
        std::int64_t count = 0;
        std::int64_t lastNumber = 0;
        std::string bad;
        bool start(bool) override { return true; }
        void record(std::string_view line) override {
            ++count;
            if (!bad.empty())
                return;
            const RecordShape shape = recordShape(line);
            if (count == 1 && (shape == RecordShape::Single || shape == RecordShape::Dual))
                dual = shape == RecordShape::Dual;
            if (shape == RecordShape::NumberTooLarge) {
                bad = "The number of line " + std::to_string(count) + " is too large to be continued.";
            } else if (shape != (dual ? RecordShape::Dual : RecordShape::Single)) {
                bad = "Line " + std::to_string(count) + " is not a record of " +
                      (count == 1 ? std::string("this program's") : modelName(dual)) + " data.";
            } else {
                lastNumber = std::stoll(std::string(line.substr(0, line.find('\t'))));
            }
        }
    } records;
    DataFileParser parser(records, std::numeric_limits<long>::max());
    std::string lineEnd;
    char chunk[65536];
    std::uint64_t size = 0;
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            why = std::strerror(errno);
            return Refusal::NotOpened;
        }
        if (got == 0)
            break;
        size += static_cast<std::uint64_t>(got);
        parser.feed(chunk, static_cast<std::size_t>(got));
        // The first line end that is surely whole (a CR at the end of a piece may get its LF).
        if (lineEnd.empty() && parser.endOfLines() > 0 && parser.endOfLines() < size)
            lineEnd = parser.lastLineEnd();
        if (!records.bad.empty()) {
            why = records.bad;
            return Refusal::Foreign;
        }
        if (parser.pending().size() > kLongestRecord) {
            why = "Line " + std::to_string(records.count + 1) + " is longer than any record.";
            return Refusal::Foreign;
        }
    }
    if (lineEnd.empty())
        lineEnd = parser.lastLineEnd();

    // The last line without a line end: kept when it is a whole record of the file's model, cut
    // off when it is what a crash or a full disk leaves of one, and anything else is not ours
    // (the records' own check says why).
    const std::string fragment(parser.pending());
    bool cut = false;
    if (!fragment.empty()) {
        const RecordShape shape = recordShape(fragment);
        const bool whole = records.count > 0
                               ? shape == (records.dual ? RecordShape::Dual : RecordShape::Single)
                               : shape == RecordShape::Single || shape == RecordShape::Dual;
        const bool torn = records.count > 0
                              ? isRecordPrefix(fragment, records.dual)
                              : isRecordPrefix(fragment, false) || isRecordPrefix(fragment, true);
        if (!whole && torn) {
            cut = true;
        } else {
            parser.finish(true);
            if (!records.bad.empty()) {
                why = records.bad;
                return Refusal::Foreign;
            }
            m_owedLineEnd = lineEnd.empty() ? "\r\n" : lineEnd;
        }
    }
    if (records.count > 0 && records.dual != m_session.state.DualModel) {
        why = std::string("It holds ") + modelName(records.dual) + " data and the instrument is " +
              modelName(m_session.state.DualModel) + ".";
        return Refusal::OtherModel;
    }
    if (cut) {
        if (::ftruncate(fd, static_cast<off_t>(parser.endOfLines())) != 0) {
            why = std::strerror(errno);
            return Refusal::NotOpened;
        }
        cutTornLine(fragment, path);
    }
    if (!lineEnd.empty())
        m_lineEnd = lineEnd;
    m_wholeBytes = cut ? parser.endOfLines() : size;
    m_numberBase = records.count > 0 ? records.lastNumber : 0;
    return Refusal::None;
}

void Recorder::cutTornLine(std::string_view fragment, const std::string& path) {
    m_cutBytes = fragment.size();
    m_session.dialogs.message("The torn last line was cut off the file:\n" + path + "\n\n" +
                                  std::to_string(fragment.size()) + " bytes: \"" + shownBytes(fragment) +
                                  "\"",
                              kInformation);
}

// A file of another format is continued when its first line is its format's for this model; only
// a last line without its line end (what a crash or a full disk leaves) is cut off. No line of
// these formats is longer than a few hundred bytes, so a longer run of bytes is not ours.
Recorder::Refusal Recorder::continueFormatted(int fd, std::string& why) {
    constexpr std::size_t kLongestLine = 4096;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        why = std::strerror(errno);
        return Refusal::NotOpened;
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size == 0) {
        m_owedHeader = m_format->header(m_session.state.DualModel);
        return Refusal::None;
    }
    const auto readAt = [&](std::uint64_t offset, std::size_t length, std::string& into) {
        into.resize(length);
        std::size_t got = 0;
        while (got < length) {
            const ssize_t n = ::pread(fd, into.data() + got, length - got, static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        into.resize(got);
        return got == length;
    };
    std::string head;
    if (!readAt(0, static_cast<std::size_t>(std::min<std::uint64_t>(size, kLongestLine)), head)) {
        why = std::strerror(errno != 0 ? errno : EIO);
        return Refusal::NotOpened;
    }
    const std::size_t firstEnd = head.find('\n');
    if (firstEnd == std::string::npos && size > kLongestLine) {
        why = "Line 1 is longer than any line of this format.";
        return Refusal::Foreign;
    }
    // A first line that is only a torn start of the header is cut off like any torn line.
    if (firstEnd != std::string::npos) {
        std::string_view first(head.data(), firstEnd);
        if (!first.empty() && first.back() == '\r')
            first.remove_suffix(1);
        if (const Refusal refusal = m_format->accepts(first, m_session.state.DualModel, why);
            refusal != Refusal::None)
            return refusal;
    }
    std::string tail;
    const std::uint64_t tailStart = size > kLongestLine ? size - kLongestLine : 0;
    if (!readAt(tailStart, static_cast<std::size_t>(size - tailStart), tail)) {
        why = std::strerror(errno != 0 ? errno : EIO);
        return Refusal::NotOpened;
    }
    m_wholeBytes = size;
    if (tail.back() != '\n') {
        const std::size_t lastEnd = tail.rfind('\n');
        if (lastEnd == std::string::npos && tailStart > 0) {
            why = "Its last line is longer than any line of this format.";
            return Refusal::Foreign;
        }
        const std::uint64_t keep = lastEnd == std::string::npos ? 0 : tailStart + lastEnd + 1;
        const std::string fragment = tail.substr(static_cast<std::size_t>(keep - tailStart));
        std::string missing;
        switch (m_format->fragment(fragment, keep == 0, missing)) {
            case LineFormat::Fragment::Foreign:
                why = "Its last line is not a line of this format.";
                return Refusal::Foreign;
            case LineFormat::Fragment::Whole:
                m_owedLineEnd = missing;
                return Refusal::None;
            case LineFormat::Fragment::Torn:
                break;
        }
        if (::ftruncate(fd, static_cast<off_t>(keep)) != 0) {
            why = std::strerror(errno);
            return Refusal::NotOpened;
        }
        cutTornLine(fragment, m_session.DataFileName);
        m_wholeBytes = keep;
        if (keep == 0)
            m_owedHeader = m_format->header(m_session.state.DualModel);
    }
    return Refusal::None;
}

std::int64_t Recorder::nextLineNumber() const {
    return m_numberBase + m_session.RecordCount + 1;
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
    const std::string line =
        m_format != nullptr ? m_owedLineEnd + m_owedHeader + m_format->line(sample)
                            : m_owedLineEnd + std::to_string(nextLineNumber()) + "\t" + sample + m_lineEnd;
    errno = 0;
    const bool written = std::fwrite(line.data(), 1, line.size(), m_file) == line.size();
    if (!written || std::fflush(m_file) != 0) {
        reportWriteFailure(errno);
        return false;
    }
    m_wholeBytes += line.size();
    m_owedLineEnd.clear();
    m_owedHeader.clear();
    m_lastSample = sample;
    m_session.RecordCount += 1;
    m_view.lineWritten();
    return true;
}

// A line that cannot be written ends the recording, and the user learns what the file holds. A
// part of the line may have reached the disk (a full disk takes what fits): it is cut off before
// the user is told, so the file ends on its last whole line and the count below is exact.
void Recorder::reportWriteFailure(int error) {
    const std::string path = m_session.DataFileName;
    const std::int64_t lines = nextLineNumber() - 1;
    m_error = error;
    // What standard output has not taken stays in its buffer; it is dropped, so that no later
    // flush adds more of the torn line.
    if (m_toStandardOutput)
        __fpurge(m_file);
    stopAutomatically();
    m_lastStop = Stop::WriteFailed;
    std::error_code cut;
    if (!m_toStandardOutput && std::filesystem::is_regular_file(path, cut))
        std::filesystem::resize_file(path, m_wholeBytes, cut);
    m_lastLineIncomplete = m_toStandardOutput;
    const std::string tail = cut ? "\nIts last line may be incomplete: " + cut.message() + "."
                             : m_toStandardOutput
                                 ? "\nIts last line may be incomplete: standard output cannot be cut back."
                                 : "";
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
    if (m_stampAt) {
        s.SampleTime = formatTimeOfDay(m_stampAt->hour * 3600 + m_stampAt->minute * 60 + m_stampAt->second);
        m_stampAt.reset();
        return s.SampleTime;
    }
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

bool Recorder::sampleDue() const {
    return static_cast<float>(m_session.SampleTicks) >= m_session.state.SampleSeconds ||
           m_session.SampleTicks == 0;
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
    if (!sampleDue()) {
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
            const std::int64_t lines = nextLineNumber() - 1;
            stopAutomatically();
            m_lastStop = modelChanged ? Stop::ModelChanged : Stop::LineLimit;
            m_session.dialogs.notify(
                "Recording stopped: " + why + ".\n" + fileHolds(m_session.DataFileName, lines),
                kCriticalStop);
        } else if (writeLine(sample)) {
            m_view.setCountText(std::to_string(m_session.RecordCount));
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
