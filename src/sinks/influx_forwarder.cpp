#include "sinks/influx_forwarder.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>
#include <algorithm>

namespace calvex {

namespace {

// How much of a refusing server's answer is kept and told: enough for InfluxDB's or
// VictoriaMetrics' one-line reasons, and a server answering megabytes cannot fill the memory.
constexpr qint64 kAnswerKept = 4096;
constexpr std::size_t kReasonChars = 300;

// Query items that carry credentials (InfluxDB 1.x's u and p), left out of what is told.
bool isSecret(const QString& key) {
    const QString k = key.toLower();
    return k == "u" || k == "p" || k == "password" || k == "token" || k == "authorization";
}

QUrl withPrecision(QUrl url) {
    QUrlQuery query(url);
    if (!query.hasQueryItem("precision")) {
        query.addQueryItem("precision", "s");
        url.setQuery(query);
    }
    return url;
}

std::string shownUrl(const QUrl& url) {
    QUrl shown = url.adjusted(QUrl::RemoveUserInfo);
    QUrlQuery query(url);
    QUrlQuery kept;
    for (const auto& [key, value] : query.queryItems(QUrl::FullyEncoded))
        if (!isSecret(QUrl::fromPercentEncoding(key.toUtf8())))
            kept.addQueryItem(key, value);
    shown.setQuery(kept.isEmpty() ? QString() : kept.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return shown.toString(QUrl::FullyEncoded).toStdString();
}

// The server's answer on one line: its line ends and other control characters become blanks,
// runs of blanks one, and it is cut at a character's start.
std::string oneLine(const QByteArray& answer) {
    std::string text;
    for (const char c : answer) {
        const bool blank = static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == ' ';
        if (blank) {
            if (!text.empty() && text.back() != ' ')
                text += ' ';
        } else {
            text += c;
        }
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    if (text.size() > kReasonChars) {
        std::size_t cut = kReasonChars;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xc0) == 0x80)
            --cut;
        text = text.substr(0, cut) + "...";
    }
    return text;
}

std::string duration(int ms) {
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

// Keeps the first kAnswerKept bytes of the answer and drops the rest as they come.
void keepAnswerHead(QNetworkReply* reply) {
    if (!reply->isOpen())  // no connection was made
        return;
    QByteArray head = reply->property("head").toByteArray();
    if (head.size() < kAnswerKept)
        head += reply->read(kAnswerKept - head.size());
    reply->setProperty("head", head);
    reply->skip(reply->bytesAvailable());
}

// Ends a drain: the caller's `done` runs once, and last, since it may end the run.
void endDrain(QTimer& limit, std::function<void()>& drained) {
    limit.stop();
    auto done = std::move(drained);
    drained = nullptr;
    if (done)
        done();
}

}  // namespace

InfluxForwarder::InfluxForwarder(Spool& spool, const Clock& clock, Settings settings,
                                 std::function<void(const std::string&)> tell, QObject* parent)
    : QObject(parent),
      m_spool(spool),
      m_clock(clock),
      m_settings(std::move(settings)),
      m_tell(std::move(tell)),
      m_network(new QNetworkAccessManager(this)) {
    m_settings.url = withPrecision(m_settings.url);
    m_settings.maxPoints = std::max<std::size_t>(m_settings.maxPoints, 1);
    m_retry.setSingleShot(true);
    m_drainLimit.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &InfluxForwarder::send);
    connect(&m_drainLimit, &QTimer::timeout, this, [this] { endDrain(m_drainLimit, m_drained); });
}

InfluxForwarder::~InfluxForwarder() {
    // The batch in flight stays in the spool; its answer must not come back into a half-destroyed
    // forwarder.
    if (m_inFlight) {
        m_inFlight->disconnect(this);
        m_inFlight->abort();
    }
}

std::string InfluxForwarder::urlProblem(const QUrl& url) {
    if (!url.isValid())
        return "not a valid URL";
    if (url.scheme() != "http" && url.scheme() != "https")
        return "not an http or https URL";
    if (url.host().isEmpty())
        return "no host";
    for (const QString& precision : QUrlQuery(url).allQueryItemValues("precision"))
        if (precision != "s")
            return "precision " + precision.toStdString() + " where the points carry whole seconds";
    return {};
}

void InfluxForwarder::pointAdded(bool kept) {
    if (!kept) {
        if (!m_fullTold)
            m_tell("spool full (" + m_spool.path() +
                   "): points are not forwarded until it has room; the data file goes on");
        m_fullTold = true;
        return;
    }
    if (m_fullTold) {
        m_tell("spool has room again");
        m_fullTold = false;
    }
    send();
}

void InfluxForwarder::start() {
    send();
}

void InfluxForwarder::drain(int ms, std::function<void()> done) {
    // Called at once, before drain() returns, when nothing is pending.
    if (m_spool.pendingPoints() == 0) {
        done();
        return;
    }
    m_drained = std::move(done);
    m_drainLimit.start(std::max(ms, 0));
    send();
    if (m_spool.pendingPoints() == 0)  // only damaged lines were left
        endDrain(m_drainLimit, m_drained);
}

void InfluxForwarder::send() {
    if (m_inFlight || m_retry.isActive())
        return;
    Spool::Batch batch = m_spool.next(m_settings.maxPoints);
    // Damaged lines the spool passes over make batches without points: they are given up at once,
    // as long as that moves the spool on.
    while (batch.points == 0 && m_spool.pendingPoints() > 0) {
        const std::uint64_t before = m_spool.pendingPoints();
        if (!m_spool.commit(batch.end) || m_spool.pendingPoints() == before)
            return;
        batch = m_spool.next(m_settings.maxPoints);
    }
    if (batch.points == 0)
        return;

    QNetworkRequest request(m_settings.url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "text/plain; charset=utf-8");
    if (!m_settings.token.empty())
        request.setRawHeader("Authorization", "Token " + QByteArray::fromStdString(m_settings.token));
    request.setTransferTimeout(m_settings.timeoutMs);
    // A write URL that redirects is a wrong URL: it is told as a refusal, not followed with the
    // points.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply =
        m_network->post(request, QByteArray(batch.body.data(), static_cast<qsizetype>(batch.body.size())));
    reply->setProperty("end", QVariant::fromValue<qulonglong>(batch.end));
    reply->setProperty("points", QVariant::fromValue<qulonglong>(batch.points));
    connect(reply, &QNetworkReply::readyRead, this, [reply] { keepAnswerHead(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { answered(reply); });
    m_inFlight = reply;
}

void InfluxForwarder::answered(QNetworkReply* reply) {
    m_inFlight = nullptr;
    reply->deleteLater();
    keepAnswerHead(reply);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();

    if (status >= 200 && status < 300) {
        const auto points = reply->property("points").toULongLong();
        // Should the offset not reach the disk, these points go again after a restart: the
        // server overwrites them with themselves.
        m_spool.commit(reply->property("end").toULongLong());
        if (m_sent == 0)
            m_tell("sending to " + shownUrl(m_settings.url));
        m_sent += points;
        m_backoffMs = 0;
        m_refusedTold = false;
        if (m_failing) {
            m_sentSinceFailure += points;
            if (m_spool.pendingPoints() == 0) {
                m_tell("caught up with " + std::to_string(m_sentSinceFailure) +
                       (m_sentSinceFailure == 1 ? " point" : " points"));
                m_failing = false;
            }
        }
        send();
        if (m_drained && m_spool.pendingPoints() == 0)
            endDrain(m_drainLimit, m_drained);
        return;
    }

    if (!m_failing) {
        m_failing = true;
        m_sentSinceFailure = 0;
    }
    // A server that asks to be given time (408, 429) is busy, not refusing: it gets the backoff.
    const bool busy = status == 408 || status == 429;
    if (status >= 300 && status < 500 && !busy) {
        if (!m_refusedTold) {
            std::string reason = oneLine(reply->property("head").toByteArray());
            if (reason.empty())
                reason = oneLine(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
            m_tell("server refused the points (HTTP " + std::to_string(status) +
                   "): " + (reason.empty() ? "no reason given" : reason));
            m_refusedTold = true;
        }
        retryIn(m_settings.slowRetryMs);
        return;
    }

    std::string reason;
    if (status >= 500 || busy) {
        reason = "HTTP " + std::to_string(status);
        const std::string said = oneLine(reply->property("head").toByteArray());
        if (!said.empty())
            reason += ": " + said;
    } else if (reply->error() == QNetworkReply::OperationCanceledError ||
               reply->error() == QNetworkReply::TimeoutError) {
        reason = "no answer within " + duration(m_settings.timeoutMs);
    } else if (reply->error() == QNetworkReply::ConnectionRefusedError) {
        reason = "connection refused";
    } else {
        reason = reply->errorString().toStdString();
    }
    // m_backoffMs is 0 from the start and after each success, so only the first failure after
    // one is told.
    if (m_backoffMs == 0) {
        m_tell("server unreachable since " + localStamp(m_clock.now()) + ": " + reason);
        m_backoffMs = std::max(m_settings.firstRetryMs, 1);
    } else {
        m_backoffMs = std::min(m_backoffMs * 2, m_settings.slowRetryMs);
    }
    retryIn(m_backoffMs);
}

void InfluxForwarder::retryIn(int ms) {
    m_retry.start(std::max(ms, 0));
}

}  // namespace calvex
