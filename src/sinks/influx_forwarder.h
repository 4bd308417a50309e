#pragma once

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/clock.h"
#include "sinks/spool.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace calvex {

// Sends the spool's points to an InfluxDB-style write URL (InfluxDB 1.x /write, 2.x and 3.x
// /api/v2/write, VictoriaMetrics /write) and gives them up in the spool only after a 2xx answer.
// Refused connections, timeouts and 5xx answers are retried with a backoff doubling from 1 s up to
// 60 s; a 4xx (a bad token, a schema conflict) is told once with the server's reason, the points
// stay, and it is retried every 60 s. Nothing here waits: every step is a timer or a reply.
class InfluxForwarder : public QObject {
    Q_OBJECT
public:
    struct Settings {
        QUrl url;           // the write URL, whole; "precision=s" is added when it has no precision
        std::string token;  // sent as "Authorization: Token <token>" when not empty
        std::size_t maxPoints = 5000;
        int firstRetryMs = 1000;
        int slowRetryMs = 60000;
        int timeoutMs = 10000;  // a request with no answer by then is a failure
    };

    // `tell`: one line for each change of the forwarding's state (sending, unreachable since,
    // caught up, refused, spool full or with room again), without date or program name.
    InfluxForwarder(Spool& spool, const Clock& clock, Settings settings,
                    std::function<void(const std::string&)> tell, QObject* parent = nullptr);
    ~InfluxForwarder() override;

    // Why `url` cannot be a write URL (not http or https, no host, a precision other than s), or
    // empty.
    static std::string urlProblem(const QUrl& url);

    // A point was appended to the spool (or not, when `kept` is false because the spool is full):
    // it goes out at once when nothing is in flight and no retry is waiting.
    void pointAdded(bool kept);
    // Starts sending what the spool holds from an earlier run.
    void start();
    // The run ends: sends what is pending for at most `ms`, then calls `done` (also at once when
    // nothing is pending). What is left stays in the spool for the next run.
    void drain(int ms, std::function<void()> done);

    std::uint64_t pointsSent() const { return m_sent; }
    std::uint64_t pointsPending() const { return m_spool.pendingPoints(); }

private:
    void send();
    void answered(QNetworkReply* reply);
    void retryIn(int ms);

    Spool& m_spool;
    const Clock& m_clock;
    Settings m_settings;
    std::function<void(const std::string&)> m_tell;
    QNetworkAccessManager* m_network = nullptr;
    QNetworkReply* m_inFlight = nullptr;
    QTimer m_retry;
    QTimer m_drainLimit;
    std::function<void()> m_drained;
    int m_backoffMs = 0;
    bool m_failing = false;
    bool m_refusedTold = false;
    bool m_fullTold = false;
    std::uint64_t m_sent = 0;
    std::uint64_t m_sentSinceFailure = 0;
};

}  // namespace calvex
