#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "instrument/instrument_state.h"
#include "platform/clock.h"
#include "platform/serial_link.h"

namespace calvex {

// What the poller shows on the main window.
class PollerView {
public:
    virtual ~PollerView() = default;
    // LblCOM: "COM" followed by the port number, or "No COM".
    virtual void showComText(const std::string& text) = 0;
    // A frame was decoded into the instrument state: refresh the reading (also closes a graph
    // whose run ended).
    virtual void showReading() = 0;
};

// The live polling of the instrument as a state machine. One poll: flush the port,
// wait until 9 bytes are waiting or 2 s have passed, up to five times, then decode a frame, or
// count the instrument as silent. Each wait is a state, advanced by the panel's 150 ms timer
// (tick) and by the port's activity (wake); nothing here loops or sleeps.
class Poller {
public:
    enum class Phase { Idle, Waiting, NoData, Reopen };

    static constexpr std::int64_t kWaitMs = 2000;
    static constexpr int kSilentAfter = 4;  // the fifth empty wait counts the instrument as silent
    // A reading is no longer the instrument's present one once no frame came for twice the longest
    // of the last few frame intervals, and never sooner than two waits: a slow instrument is not a
    // silent one. Intervals longer than kLongestIntervalMs are silences, not the instrument's pace.
    static constexpr std::int64_t kStaleMs = 2 * kWaitMs;
    static constexpr std::int64_t kLongestIntervalMs = 60000;
    static constexpr std::size_t kIntervalsKept = 4;

    Poller(InstrumentState& state, SerialLink& port, const Clock& clock, PollerView& view)
        : m_state(state), m_port(port), m_clock(clock), m_view(view) {}

    // The timer tick: starts a poll when none is running, else checks the running wait.
    void tick();
    // New bytes arrived (or the port failed): re-check the running wait at once.
    void wake();
    // Drops a running poll (polling stopped by another command); the next tick starts afresh. What
    // the instrument measures meanwhile is not seen, so the reading is unknown until the next frame.
    void reset();

    Phase phase() const { return m_phase; }
    // Milliseconds until the running wait times out, or -1 when nothing waits on time.
    std::int64_t msUntilDeadline() const;
    // How long after the last frame the reading becomes unknown, by the intervals seen so far.
    std::int64_t staleAfterMs() const;
    // Two frames have shown the instrument's pace; before that a slow instrument cannot be told
    // from a silent one.
    bool paceKnown() const { return m_intervalCount > 0; }
    // Frames with good marks that the instrument cannot have sent (see isSendableFrame), dropped.
    std::int64_t implausibleFrames() const { return m_implausible; }

    // Opens the port chosen by ComPort with the line settings; false when it cannot be opened.
    static bool openChosenPort(InstrumentState& state, SerialLink& port);
    // Why the chosen port did not open, with what it stands for: "COM1 (/dev/ttyUSB0): No such device".
    static std::string openFailure(const InstrumentState& state, const SerialLink& port);

private:
    void startAttempt();
    void check();
    void evaluate();
    void onSilent();
    void acceptFrame(const std::string& block);
    void recover();
    void tryReopen();
    void showNoCom();
    void forgetReading();
    void forgetPace();
    void keepFrameStart(const std::string& bytes);
    std::string comText() const { return "COM" + std::to_string(m_state.ComPort); }

    InstrumentState& m_state;
    SerialLink& m_port;
    const Clock& m_clock;
    PollerView& m_view;
    Phase m_phase = Phase::Idle;
    int m_silence = 0;
    std::int64_t m_attemptStart = 0;
    std::int64_t m_lastFrame = 0;
    // Whether m_lastFrame is a frame of the present run of polling on this port: an interval is
    // measured only between two such frames.
    bool m_paceFrom = false;
    std::array<std::int64_t, kIntervalsKept> m_intervals{};
    std::size_t m_intervalCount = 0;
    std::size_t m_intervalNext = 0;
    std::int64_t m_implausible = 0;
    // The start of a frame that a block which failed the marks ended with: the next attempt
    // begins with it, so a line whose reads always split frames at the same place is still read.
    std::string m_carry;
    bool m_checking = false;
};

}  // namespace calvex
