#include "ui/memory/memory_windows.h"

#include "memory/set_decoding.h"
#include "session/session.h"
#include "ui/memory/memory_window.h"

namespace calvex {

MemoryWindows::MemoryWindows(Session& session, QObject* parent)
    : QObject(parent), m_session(session), m_download(session, *this) {
    m_wake.setSingleShot(true);
    // A coarse timer may fire 5 % late: half a second's Delay would cost 25 ms each time.
    m_wake.setTimerType(Qt::PreciseTimer);
    connect(&m_wake, &QTimer::timeout, this, &MemoryWindows::tick);
    m_session.memory = this;
}

MemoryWindows::~MemoryWindows() {
    if (m_session.memory == this)
        m_session.memory = nullptr;
    delete m_window;
}

void MemoryWindows::startDownload() {
    if (m_session.state.MemoryOpen || m_download.running() || m_decoding)
        return;
    m_download.start();
}

void MemoryWindows::tick() {
    m_download.advance();
}

void MemoryWindows::showMemoryWindow() {
    delete m_window;
    m_window =
        new MemoryWindow(m_session, {[this](int set) { setClicked(set); }, [this] { windowUnloaded(); }});
    m_window->Form_Load();
    m_window->show();
}

void MemoryWindows::showRemain(const std::string& text) {
    if (m_window)
        m_window->setRemain(text);
}

void MemoryWindows::showProgress(const std::string& text) {
    if (m_window)
        m_window->setMessage(text);
}

void MemoryWindows::listSets(const std::vector<SetRow>& sets) {
    if (!m_window)
        return;
    for (const SetRow& set : sets) {
        m_window->gridSet().addItem(std::to_string(set.number) + '\t' + std::to_string(set.sampling) + '\t' +
                                    std::to_string(set.records));
    }
}

void MemoryWindows::closeMemoryWindow() {
    if (m_window)
        m_window->close();
}

void MemoryWindows::wakeIn(int ms) {
    if (ms < 0)
        m_wake.stop();
    else
        m_wake.start(ms);
}

void MemoryWindows::setClicked(int setNumber) {
    // The download still owns the port (it is settling); a set can be decoded once it is done.
    if (m_download.running() || m_decoding)
        return;
    m_decoding = true;
    decodeLoggingSet(m_session, setNumber);
    m_decoding = false;
}

void MemoryWindows::windowUnloaded() {
    m_window = nullptr;
    m_download.cancel();
}

}  // namespace calvex
