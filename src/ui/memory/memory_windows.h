#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "memory/memory_download.h"
#include "session/window_apis.h"
#include "ui/memory/memory_window.h"

namespace calvex {

struct Session;
class MemoryWindow;

// The instrument's memory as the rest of the program reaches it: the "Memory" command, the one
// Memory window, and the decoding of the set the user clicks.
class MemoryWindows : public QObject, public MemoryApi, private DownloadHost {
    Q_OBJECT
public:
    explicit MemoryWindows(Session& session, QObject* parent = nullptr);
    ~MemoryWindows() override;

    // The "Memory" command: nothing while the Memory window is open (or a set is being decoded);
    // otherwise downloads the memory.
    void startDownload() override;

    // The Memory window while it is open, else nullptr.
    MemoryWindow* window() const { return m_window; }
    bool downloading() const { return m_download.running(); }
    // The download's timer: moves the exchange on when a wait is over.
    void tick();

private:
    void showMemoryWindow() override;
    void showRemain(const std::string& text) override;
    void showProgress(const std::string& text) override;
    void listSets(const std::vector<SetRow>& sets) override;
    void closeMemoryWindow() override;
    void wakeIn(int ms) override;

    void setClicked(int setNumber);
    void windowUnloaded();

    Session& m_session;
    MemoryDownload m_download;
    QPointer<MemoryWindow> m_window;
    QTimer m_wake;
    bool m_decoding = false;
};

}  // namespace calvex
