#include "live/poller.h"

#include <algorithm>
#include <cstdint>

#include "instrument/meter.h"

namespace calvex {

namespace {

constexpr const char* kLineSettings = "9600,n,8,1";

}  // namespace

bool Poller::openChosenPort(InstrumentState& state, SerialLink& port) {
    port.setPortNumber(state.ComPort);
    port.setSettings(kLineSettings);
    return port.isOpen() || port.open();
}

std::string Poller::openFailure(const InstrumentState& state, const SerialLink& port) {
    if (state.ComPort < 1)
        return port.lastError();
    const std::string device = port.deviceName(state.ComPort);
    return "COM" + std::to_string(state.ComPort) + (device.empty() ? "" : " (" + device + ")") + ": " +
           port.lastError();
}

std::int64_t Poller::msUntilDeadline() const {
    if (m_phase != Phase::Waiting)
        return -1;
    const std::int64_t left = m_attemptStart + kWaitMs - m_clock.monotonicMs();
    return left > 0 ? left : 0;
}

std::int64_t Poller::staleAfterMs() const {
    std::int64_t longest = 0;
    for (std::size_t i = 0; i < m_intervalCount; ++i)
        longest = std::max(longest, m_intervals[i]);
    return std::max(kStaleMs, 2 * longest);
}

// Polling stopped for a while: the same instrument comes back, so its pace is kept, but the gap
// is not one of its intervals.
void Poller::reset() {
    m_phase = Phase::Idle;
    m_carry.clear();
    m_paceFrom = false;
    forgetReading();
}

// Another port, or the same one after it failed: perhaps another instrument, so its pace is
// learnt afresh.
void Poller::forgetPace() {
    m_paceFrom = false;
    m_intervalCount = 0;
    m_intervalNext = 0;
}

// The bytes that ended the wait for data may be the start of a frame (a slow instrument's next
// frame): the next attempt begins with them instead of dropping them.
void Poller::keepFrameStart(const std::string& bytes) {
    const std::size_t start = bytes.find(static_cast<char>(kFrameStart));
    if (start != std::string::npos)
        m_carry = bytes.substr(start, 2 * kFrameLength);
}

void Poller::tick() {
    if (m_state.ReadingKnown && m_clock.monotonicMs() - m_lastFrame > staleAfterMs())
        forgetReading();
    switch (m_phase) {
        case Phase::Idle:
            m_silence = 0;
            startAttempt();
            break;
        case Phase::Reopen:
            tryReopen();
            break;
        case Phase::Waiting:
        case Phase::NoData:
            check();
            break;
    }
}

void Poller::wake() {
    if (m_phase == Phase::Waiting || m_phase == Phase::NoData)
        check();
}

// Steps 1 and 2 of a poll: drop what was waiting (a partial frame included), note the start.
void Poller::startAttempt() {
    if (!m_port.isOpen() || m_port.failed()) {
        recover();
        return;
    }
    if (m_carry.empty()) {
        m_port.readAll();
        m_port.clearInput();
    }
    m_attemptStart = m_clock.monotonicMs();
    m_phase = Phase::Waiting;
    check();
}

void Poller::check() {
    // A port event raised inside check() (a read, an open) must not re-enter it.
    if (m_checking)
        return;
    m_checking = true;
    if (!m_port.isOpen() || m_port.failed()) {
        recover();
    } else if (m_phase == Phase::NoData) {
        if (m_port.bytesWaiting() != 0) {
            m_view.showComText(comText());
            keepFrameStart(m_port.readAll());
            m_phase = Phase::Idle;
        }
    } else if (m_phase == Phase::Waiting) {
        if (m_port.bytesWaiting() + static_cast<int>(m_carry.size()) >= static_cast<int>(kFrameLength) ||
            m_clock.monotonicMs() - m_attemptStart >= kWaitMs) {
            evaluate();
        }
    }
    m_checking = false;
}

// Steps 4 to 7: a frame, a retry, or a silent instrument.
void Poller::evaluate() {
    const int waiting = m_port.bytesWaiting() + static_cast<int>(m_carry.size());
    if (waiting < static_cast<int>(kFrameLength) && m_silence < kSilentAfter) {
        ++m_silence;
        m_carry.clear();
        startAttempt();
        return;
    }
    if (m_silence < kSilentAfter) {
        const std::string block = m_carry + m_port.readAll();
        m_carry.clear();
        m_silence = 0;
        if (isFrame(block)) {
            if (isSendableFrame(block)) {
                acceptFrame(block);
                return;
            }
            ++m_implausible;
        }
        // A block that begins mid-frame: the frame that starts inside it is taken when it is
        // whole there, or its start is kept for the next attempt. Without this, reads that always
        // split the frames at the same place (a pseudo-terminal, an adapter's latency timer) would
        // never show a frame from a steady instrument.
        // (A block that was a frame but not a sendable one is searched past its own start.)
        for (std::size_t start = block.find('\x02', isFrame(block) ? 1 : 0); start != std::string::npos;
             start = block.find('\x02', start + 1)) {
            const std::string_view rest = std::string_view(block).substr(start);
            if (rest.size() >= kFrameLength && isFrame(rest)) {
                if (isSendableFrame(rest)) {
                    acceptFrame(std::string(rest));
                    return;
                }
                ++m_implausible;
                continue;
            }
            if (rest.size() < kFrameLength) {
                m_carry = std::string(rest);
                break;
            }
        }
        startAttempt();
        return;
    }
    m_carry.clear();
    onSilent();
}

void Poller::onSilent() {
    if (!m_state.AutoScan) {
        // Wait, without a limit, for any byte at all. The instrument counts as silent, but a slow
        // one's last reading stays its present one until the interval rule of tick() says not.
        m_view.showComText("No COM");
        m_phase = Phase::NoData;
        if (m_port.bytesWaiting() != 0) {
            m_view.showComText(comText());
            keepFrameStart(m_port.readAll());
            m_phase = Phase::Idle;
        }
        return;
    }
    // Automatic scan: on to the next port, within the same poll.
    showNoCom();
    forgetPace();
    m_state.ComPort = m_state.ComPort >= 8 ? 1 : m_state.ComPort + 1;
    m_port.close();
    if (!openChosenPort(m_state, m_port)) {
        recover();
        return;
    }
    m_silence = 0;
    startAttempt();
}

void Poller::acceptFrame(const std::string& block) {
    m_view.showComText(comText());
    std::uint8_t bytes[7];
    for (int i = 0; i < 7; ++i)
        bytes[i] = static_cast<std::uint8_t>(block[static_cast<std::size_t>(i) + 1]);
    decodeReading(m_state, bytes);
    m_state.ReadingKnown = true;
    const std::int64_t now = m_clock.monotonicMs();
    if (m_paceFrom && now - m_lastFrame <= kLongestIntervalMs) {
        m_intervals[m_intervalNext] = now - m_lastFrame;
        m_intervalNext = (m_intervalNext + 1) % kIntervalsKept;
        m_intervalCount = std::min(m_intervalCount + 1, kIntervalsKept);
    }
    m_lastFrame = now;
    m_paceFrom = true;
    m_phase = Phase::Idle;
    m_view.showReading();
}

// A port that fails during a poll. With the automatic scan the poller falls back to COM1 and
// scans again from there. With a port the user chose it stays on that port: it closes it and
// reopens it on the following ticks, so an adapter pulled and put back is found again.
void Poller::recover() {
    m_carry.clear();
    forgetPace();
    m_port.close();
    showNoCom();
    if (m_state.AutoScan) {
        m_state.ComPort = 1;
        openChosenPort(m_state, m_port);
        m_phase = Phase::Idle;
        return;
    }
    m_phase = Phase::Reopen;
}

void Poller::tryReopen() {
    if (openChosenPort(m_state, m_port))
        m_phase = Phase::Idle;
}

// While "No COM" stands the last reading is not the instrument's present one.
void Poller::showNoCom() {
    m_view.showComText("No COM");
    forgetReading();
}

void Poller::forgetReading() {
    if (!m_state.ReadingKnown)
        return;
    m_state.ReadingKnown = false;
    m_view.showReading();
}

}  // namespace calvex
