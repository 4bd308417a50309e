#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "memory/delay.h"
#include "memory/memory_image.h"

namespace calvex {

struct Session;

// What the download shows on the way; the Memory windows implement it.
class DownloadHost {
public:
    virtual ~DownloadHost() = default;
    // The pointer was accepted and the memory holds data: the Memory window comes up.
    virtual void showMemoryWindow() = 0;
    virtual void showRemain(const std::string& text) = 0;
    virtual void showProgress(const std::string& text) = 0;
    virtual void listSets(const std::vector<SetRow>& sets) = 0;
    // The download failed; its window goes.
    virtual void closeMemoryWindow() = 0;
    // The download wants advance() called again within `ms` milliseconds (-1: only on port
    // activity, or never).
    virtual void wakeIn(int ms) = 0;
};

// The "Memory" download as a state machine: each wait of the exchange with the instrument is a
// state, left on a timer tick or when bytes arrive, so the windows stay live and no CPU is spent
// waiting. While it runs it holds the port's activity handler; the panel takes it back when its
// polling is switched on again.
class MemoryDownload {
public:
    // The instrument has gone quiet while a reply is due.
    static constexpr std::int64_t kReplySilenceMs = 5000;
    // "A" has been answered with nothing usable for this long.
    static constexpr std::int64_t kPointerQueryLimitMs = 10000;
    static constexpr std::int64_t kSettleMs = 2000;
    // Passes of fewer than 14 bytes before the download gives up: a memory that holds 3 to 13
    // bytes can never give more.
    static constexpr int kShortPassLimit = 3;

    MemoryDownload(Session& session, DownloadHost& host);
    ~MemoryDownload();
    MemoryDownload(const MemoryDownload&) = delete;
    MemoryDownload& operator=(const MemoryDownload&) = delete;

    // MemoryOpen, polling off, and the pointer query "A".
    void start();
    // The Memory window was closed: stop without a word and give the port back to the poller.
    void cancel();
    // Takes every step that can be taken now.
    void advance();
    bool running() const { return m_step != Step::Idle; }

    int memoryPointer() const { return m_pointer; }
    int bytesUsed() const { return m_bytesUsed; }

private:
    enum class Step {
        Idle,
        PointerDelay,
        PointerWait,
        PointerRetry,
        PassDelay,
        FirstUploadDelay,
        BlockDelay,
        BlockReceive,
        Settle,
    };

    bool step();
    void stepPointerWait();
    void stepBlockReceive();
    void sendPointerQuery();
    void onPointerAccepted();
    void startPass();
    void nextBlock();
    void endPass();
    bool send(const char* command);
    void noteArrivals();
    std::int64_t now() const;
    int wakeInMs() const;
    void releasePort();
    void fail(const std::string& text, const std::string& details);
    std::string progressText() const;

    Session& m_session;
    DownloadHost& m_host;
    Step m_step = Step::Idle;
    bool m_advancing = false;
    Delay m_delay;

    int m_pointer = 0;
    int m_bytesUsed = 0;
    int m_passes = 0;
    int m_blocks = 0;
    int m_block = 0;
    std::size_t m_blockCount = 0;
    std::size_t m_total = 0;

    std::int64_t m_queryStartMs = 0;
    std::int64_t m_lastByteMs = 0;
    std::int64_t m_settleStartMs = 0;
    int m_waitingSeen = 0;
};

}  // namespace calvex
