#include "memory/memory_download.h"

#include <algorithm>
#include <cstdio>

#include "instrument/text_format.h"
#include "session/session.h"

namespace calvex {

namespace {

const char* const kNoAnswer = "The instrument did not answer; check the cable and try again.";

std::string hexBytes(std::string_view bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && i < 16; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(bytes[i]));
        if (!text.empty())
            text += ' ';
        text += hex;
    }
    if (bytes.size() > 16)
        text += " ...";
    return text.empty() ? "nothing" : text;
}

}  // namespace

MemoryDownload::MemoryDownload(Session& session, DownloadHost& host) : m_session(session), m_host(host) {}

MemoryDownload::~MemoryDownload() {
    if (running())
        m_session.COM.setActivityHandler(nullptr);
}

std::int64_t MemoryDownload::now() const {
    return m_session.clock.monotonicMs();
}

void MemoryDownload::start() {
    if (running())
        return;
    m_session.state.MemoryOpen = true;
    if (m_session.panel)
        m_session.panel->setPolling(false);
    m_session.COM.setActivityHandler([this] { advance(); });
    m_pointer = 0;
    m_bytesUsed = 0;
    m_queryStartMs = now();
    sendPointerQuery();
    advance();
}

void MemoryDownload::cancel() {
    if (!running())
        return;
    releasePort();
    if (m_session.panel)
        m_session.panel->setPolling(true);
}

void MemoryDownload::advance() {
    if (m_advancing)
        return;
    m_advancing = true;
    while (running() && step()) {
    }
    m_advancing = false;
    m_host.wakeIn(wakeInMs());
}

bool MemoryDownload::step() {
    if (m_session.COM.failed()) {
        fail("The serial port failed during the memory download.", m_session.COM.lastError());
        return false;
    }
    switch (m_step) {
        case Step::Idle:
            return false;
        case Step::PointerDelay:
            noteArrivals();
            if (!m_delay.done())
                return false;
            m_step = Step::PointerWait;
            return true;
        case Step::PointerWait:
            stepPointerWait();
            return m_step != Step::PointerWait;
        case Step::PointerRetry:
            if (!m_delay.done())
                return false;
            sendPointerQuery();
            return true;
        case Step::PassDelay:
            if (!m_delay.done())
                return false;
            m_session.MemoryImage.clear();
            m_session.COM.readAll();
            if (!send("U"))
                return false;
            m_delay = Delay(m_session.clock, 0.2);
            m_step = Step::FirstUploadDelay;
            return true;
        case Step::FirstUploadDelay:
            if (!m_delay.done())
                return false;
            m_session.MemoryImage += m_session.COM.readAll();
            m_total = m_session.MemoryImage.size();
            m_blocks = m_bytesUsed > 0 ? (m_bytesUsed + kUploadBlock - 1) / kUploadBlock : 0;
            m_block = 0;
            nextBlock();
            return true;
        case Step::BlockDelay:
            noteArrivals();
            if (!m_delay.done())
                return false;
            m_step = Step::BlockReceive;
            return true;
        case Step::BlockReceive:
            stepBlockReceive();
            return m_step != Step::BlockReceive;
        case Step::Settle:
            if (m_session.COM.bytesWaiting() < 9 && now() - m_settleStartMs < kSettleMs)
                return false;
            m_session.COM.readAll();
            releasePort();
            if (m_session.panel)
                m_session.panel->setPolling(true);
            return false;
    }
    return false;
}

void MemoryDownload::sendPointerQuery() {
    m_session.PointerReply.clear();
    m_session.COM.readAll();
    if (!send("A"))
        return;
    m_delay = Delay(m_session.clock, 0.2);
    m_step = Step::PointerDelay;
}

void MemoryDownload::stepPointerWait() {
    noteArrivals();
    if (m_session.COM.bytesWaiting() < 4) {
        if (now() - m_lastByteMs >= kReplySilenceMs) {
            fail(kNoAnswer, "No reply to the memory pointer query \"A\" for 5 seconds (received: " +
                                hexBytes(m_session.COM.readAll()) + ").");
        } else if (now() - m_queryStartMs >= kPointerQueryLimitMs) {
            fail(kNoAnswer, "The memory pointer query \"A\" got no valid reply for 10 seconds.");
        }
        return;
    }
    m_session.PointerReply = m_session.COM.readAll();
    m_pointer = pointerOf(m_session.PointerReply);
    m_bytesUsed = m_pointer - kMemoryBase;
    if (pointerAccepted(m_session.PointerReply)) {
        onPointerAccepted();
        return;
    }
    if (now() - m_queryStartMs >= kPointerQueryLimitMs) {
        fail(kNoAnswer, "The memory pointer query \"A\" got no valid reply for 10 seconds (last reply: " +
                            hexBytes(m_session.PointerReply) + ").");
        return;
    }
    m_delay = Delay(m_session.clock, 0.5);
    m_step = Step::PointerRetry;
}

void MemoryDownload::onPointerAccepted() {
    if (m_bytesUsed == kEmptyMemoryBytes) {
        releasePort();
        m_session.state.MemoryOpen = false;
        // Polling comes back before the box is shown, and the box does not hold it.
        if (m_session.panel)
            m_session.panel->setPolling(true);
        m_session.dialogs.notify("No Data in Memory", kCriticalStop);
        return;
    }
    m_host.showMemoryWindow();
    m_host.showRemain(formatFixed1((kMemoryTop - m_pointer) / 1024.0) + " K");
    m_passes = 0;
    startPass();
}

void MemoryDownload::startPass() {
    m_delay = Delay(m_session.clock, 0.5);
    m_step = Step::PassDelay;
}

void MemoryDownload::nextBlock() {
    if (m_block >= m_blocks) {
        endPass();
        return;
    }
    m_blockCount = 0;
    m_session.COM.readAll();
    if (!send("U"))
        return;
    m_delay = Delay(m_session.clock, 0.2);
    m_step = Step::BlockDelay;
}

void MemoryDownload::stepBlockReceive() {
    std::string& image = m_session.MemoryImage;
    const std::string bytes = m_session.COM.readAll();
    if (!bytes.empty()) {
        image += bytes;
        m_blockCount += bytes.size();
        m_lastByteMs = now();
    }
    m_total = std::min(image.size(), static_cast<std::size_t>(m_bytesUsed));
    m_host.showProgress(progressText());
    // At least a block: a reply that overruns its 4096 bytes must not leave the loop waiting for
    // an exact count that has already passed.
    if (m_total == static_cast<std::size_t>(m_bytesUsed) || m_blockCount >= kUploadBlock) {
        ++m_block;
        nextBlock();
        return;
    }
    if (now() - m_lastByteMs >= kReplySilenceMs) {
        fail(kNoAnswer, "No byte for 5 seconds while block " + std::to_string(m_block + 1) + " of " +
                            std::to_string(m_blocks) + " was due (" + std::to_string(m_total) + " of " +
                            std::to_string(m_bytesUsed) + " bytes received).");
    }
}

void MemoryDownload::endPass() {
    std::string& image = m_session.MemoryImage;
    ++m_passes;
    if (image.size() < kMinimumImage) {
        if (m_passes < kShortPassLimit) {
            startPass();
            return;
        }
        fail("The instrument's memory holds no complete logging set.",
             "The memory pointer says " + std::to_string(m_bytesUsed) + " bytes are used, and " +
                 std::to_string(m_passes) + " downloads each gave fewer than " +
                 std::to_string(kMinimumImage) + " bytes; a logging set needs at least " +
                 std::to_string(kMinimumImage) + ".");
        return;
    }
    closeImage(image, m_total);
    m_host.listSets(listSets(image));

    m_session.COM.readAll();
    m_session.COM.clearInput();
    m_waitingSeen = 0;
    m_settleStartMs = now();
    m_step = Step::Settle;
}

bool MemoryDownload::send(const char* command) {
    m_waitingSeen = 0;
    m_lastByteMs = now();
    if (m_session.COM.write(command))
        return true;
    std::string details = m_session.COM.lastError();
    if (details.empty())
        details = "The port is not open.";
    fail("The memory command \"" + std::string(command) + "\" could not be sent to the instrument.", details);
    return false;
}

// While a reply is due and not yet read, any byte that comes in counts as a sign of life.
void MemoryDownload::noteArrivals() {
    const int waiting = m_session.COM.bytesWaiting();
    if (waiting > m_waitingSeen)
        m_lastByteMs = now();
    m_waitingSeen = waiting;
}

int MemoryDownload::wakeInMs() const {
    const auto left = [this](std::int64_t since, std::int64_t limit) {
        return static_cast<int>(std::max<std::int64_t>(0, limit - (now() - since)));
    };
    switch (m_step) {
        case Step::Idle:
            return -1;
        case Step::PointerDelay:
        case Step::PointerRetry:
        case Step::PassDelay:
        case Step::FirstUploadDelay:
        case Step::BlockDelay:
            return m_delay.remainingMs();
        case Step::PointerWait:
            return std::min(left(m_lastByteMs, kReplySilenceMs), left(m_queryStartMs, kPointerQueryLimitMs));
        case Step::BlockReceive:
            return left(m_lastByteMs, kReplySilenceMs);
        case Step::Settle:
            return left(m_settleStartMs, kSettleMs);
    }
    return -1;
}

void MemoryDownload::releasePort() {
    m_step = Step::Idle;
    m_session.COM.setActivityHandler(nullptr);
    m_host.wakeIn(-1);
}

void MemoryDownload::fail(const std::string& text, const std::string& details) {
    releasePort();
    m_session.state.MemoryOpen = false;
    m_host.closeMemoryWindow();
    // Polling comes back before the box is shown, and the box does not hold it.
    if (m_session.panel)
        m_session.panel->setPolling(true);
    m_session.dialogs.notify(text, kCriticalStop, details);
}

std::string MemoryDownload::progressText() const {
    const double percent = m_bytesUsed > 0 ? static_cast<double>(m_total) / m_bytesUsed * 100.0 : 0.0;
    return formatFixed1(percent) + "% Completed";
}

}  // namespace calvex
