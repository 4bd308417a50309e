#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/session.h"

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
};

// Recording to a file and the sampling clock (Timer2, every 960 ms). Each line is flushed to the
// operating system as soon as it is written, so a killed program loses no sampled line; a line that
// cannot be written whole is cut off again, so the file holds only whole lines.
class Recorder {
public:
    static constexpr float kMaxLines = 58300.0f;

    Recorder(Session& session, RecordingView& view) : m_session(session), m_view(view) {}
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // The "Save" command: stops a recording, or asks for a file and starts one.
    void toggle();
    void Timer2_Timer();

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

    Session& m_session;
    RecordingView& m_view;
    std::FILE* m_file = nullptr;
    std::uintmax_t m_wholeBytes = 0;  // the file's length up to the end of its last whole line
    bool DualModelAtStart = false;    // the model this recording writes lines of
    bool m_inTick = false;            // a message box shown inside a tick lets no other tick run
};

}  // namespace calvex
