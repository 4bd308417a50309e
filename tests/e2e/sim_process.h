#pragma once

#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <string>

namespace calvex::test {

// How long an end-to-end wait may take: generous for a loaded CI machine; every wait ends as soon as
// what it waits for holds.
inline constexpr int kPatienceMs = 15000;

// Runs the event loop until `done` holds or `ms` milliseconds have passed; true when it held.
inline bool waitUntil(const std::function<bool()>& done, int ms) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    check.start(20);
    loop.exec();
    return done();
}

// calvex-sim in a child process; device() is the pseudo-terminal it serves.
class SimProcess {
public:
    explicit SimProcess(const QStringList& arguments) {
        m_process.setProgram(CALVEX_SIM_PATH);
        m_process.setArguments(arguments);
        m_process.start();
        m_process.waitForStarted(kPatienceMs);
        waitUntil([this] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; },
                  kPatienceMs);
        m_device = m_process.readLine().trimmed().toStdString();
    }
    ~SimProcess() {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
    const std::string& device() const { return m_device; }
    // A control command on the simulator's stdin ("model single", "unit F", "unplug", ...).
    void command(const std::string& line) {
        m_process.write((line + "\n").c_str());
        m_process.waitForBytesWritten(1000);
    }

private:
    QProcess m_process;
    std::string m_device;
};

}  // namespace calvex::test
