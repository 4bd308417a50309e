#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "session/session.h"

namespace calvex {

// The main window's controls that recording reads and writes.
class RecordingView {
public:
    virtual ~RecordingView() = default;
    // The readings as the panel shows them.
    virtual std::string labelT1() const = 0;
    virtual std::string labelT2() const = 0;
    virtual std::string labelT1T2() const = 0;
    // Toolbar button 1: the face of "Stop" (recording) or of "Save1" (not recording).
    virtual void setRecordingFace(bool recording) = 0;
    virtual void setFileNameText(const std::string& text) = 0;
    virtual void setCountText(const std::string& text) = 0;
    virtual void setRecText(const std::string& text) = 0;
    virtual void setRecVisible(bool visible) = 0;
    // A line has been written and flushed; the sample it holds is still the present reading.
    virtual void lineWritten() {}
};

// Recording to a file and the sampling clock (Timer2, every 960 ms). Each line is flushed to the
// operating system as soon as it is written, so a killed program loses no sampled line; a line that
// cannot be written whole is cut off again, so the file holds only whole lines.
class Recorder {
public:
    static constexpr std::int64_t kMaxLines = 58300;
    static constexpr std::int64_t kNoLineLimit = 0;

    enum class Stop { None, ByUser, ModelChanged, LineLimit, WriteFailed };
    // Why a file was not continued.
    enum class Refusal { None, NotOpened, NotRegular, Foreign, OtherModel };

    // The lines of a file in another format than the program's TAB data file (calvex-record's CSV
    // and line protocol). The file keeps the recorder's rules: a line flushed as it is written, a
    // line that fails cut off again, a torn last line cut off before a file is continued.
    class LineFormat {
    public:
        virtual ~LineFormat() = default;
        // What a new or empty file starts with ("" for nothing).
        virtual std::string header(bool dual) const = 0;
        // The line of a sample (the sample text: time, readings, unit), its line end included.
        virtual std::string line(const std::string& sample) const = 0;
        // Whether a file whose first line is `first` (without its line end) may be continued by a
        // recording of the `dual` model: None, Foreign or OtherModel with the reason in `why`.
        virtual Refusal accepts(std::string_view first, bool dual, std::string& why) const = 0;
        // A file's last bytes after its last line end, `first` when they are its first line: Whole
        // (a line that lacks only `missing`, its line end or part of it), Torn (the start of a
        // line, cut off) or Foreign (not this format's: the file is refused unchanged).
        enum class Fragment { Whole, Torn, Foreign };
        virtual Fragment fragment(std::string_view bytes, bool first, std::string& missing) const = 0;
    };

    // `maxLines` is the recording's line limit; kNoLineLimit records until it is stopped.
    Recorder(Session& session, RecordingView& view, std::int64_t maxLines = kMaxLines)
        : m_session(session), m_view(view), m_maxLines(maxLines) {}
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // The "Save" command: stops a recording, or asks for a file and starts one.
    void toggle();
    void Timer2_Timer();

    // Starts recording to `path` without asking ("-" is standard output). With `append` an existing
    // file is continued with its own line end and numbering goes on from its last record; only a
    // torn last line that cannot be a whole record is cut off (and the user told its bytes). A
    // file that is not a regular one, not a data file of this program or one of the other model
    // is refused unchanged. False, after telling the user why, when recording does not start.
    bool startFile(const std::string& path, bool append = false);
    Refusal lastRefusal() const { return m_refusal; }
    // The system's error number of the last open or write that failed (0 for none).
    int lastError() const { return m_error; }
    // The bytes of a torn last line the last startFile() cut off the file (0 for none).
    std::uint64_t cutBytes() const { return m_cutBytes; }
    // Why the last recording ended (None while one runs or before any).
    Stop lastStop() const { return m_lastStop; }
    // The number the next line gets.
    std::int64_t nextLineNumber() const;
    // The last write to standard output failed: what of its line went out cannot be cut back.
    bool lastLineIncomplete() const { return m_lastLineIncomplete; }

    // Lines in `format` instead of the TAB data file's (nullptr: the data file's); the recorder
    // does not own it. Set before startFile().
    void setLineFormat(const LineFormat* format) { m_format = format; }
    // The next sample is stamped with this time of day instead of the sample clock's next step:
    // calvex-record samples on the wall clock's seconds, so that every line carries its true time.
    void stampAt(const LocalDateTime& at) { m_stampAt = at; }
    // The next tick samples.
    bool sampleDue() const;
    // The sample text of the last line written.
    const std::string& lastSample() const { return m_lastSample; }

    // The sample text of the present reading: time, the reading or readings, unit. A reading that
    // is not known (no frame, "No COM", polling stopped) is the no-value mark in each field.
    std::string sampleText() const;

private:
    void start();
    void stopByUser();
    void stopAutomatically();
    void closeFile();
    bool writeLine(const std::string& sample);
    void reportWriteFailure(int error);
    std::string advanceSampleClock();
    std::FILE* openToContinue(const std::string& path);
    Refusal continueFile(int fd, const std::string& path, std::string& why);
    Refusal continueFormatted(int fd, std::string& why);
    void cutTornLine(std::string_view fragment, const std::string& path);

    Session& m_session;
    RecordingView& m_view;
    std::int64_t m_maxLines;
    std::FILE* m_file = nullptr;
    bool m_toStandardOutput = false;
    std::int64_t m_numberBase = 0;   // the number of the file's last record before this recording
    std::string m_lineEnd = "\r\n";  // the file's own line end
    std::string m_owedLineEnd;       // a whole last record without its line end gets it first
    Refusal m_refusal = Refusal::None;
    int m_error = 0;
    std::uint64_t m_cutBytes = 0;
    bool m_lastLineIncomplete = false;
    Stop m_lastStop = Stop::None;
    std::uintmax_t m_wholeBytes = 0;  // the file's length up to the end of its last whole line
    bool DualModelAtStart = false;    // the model this recording writes lines of
    bool m_inTick = false;            // a message box shown inside a tick lets no other tick run
    const LineFormat* m_format = nullptr;
    std::string m_owedHeader;  // a new or empty file gets its format's header before its first line
    std::optional<LocalDateTime> m_stampAt;
    std::string m_lastSample;
};

}  // namespace calvex
