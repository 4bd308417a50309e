#pragma once

// Real time-series database servers for end-to-end tests: InfluxDB 1.x (influxd) and
// VictoriaMetrics, each a child process on free loopback ports with its data in a temporary folder.
// They are header-only because they wait with test::waitUntil (e2e/sim_process.h), so a file that
// includes this one is compiled with CALVEX_SIM_PATH like the other end-to-end tests.

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QTcpServer>
#include <QUrl>
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "e2e/sim_process.h"
#include "support/temp_folder.h"

namespace calvex::test {

// How long a server may take to answer after its start: both answer within a second here, but a
// CI machine shared with a build may be much slower.
inline constexpr int kServerStartMs = 60000;

struct HttpAnswer {
    int status = 0;  // 0 when no HTTP answer came (refused, timed out)
    QByteArray body;
    QString error;  // empty on a 2xx
};

// One request to a loopback server, waited for with the event loop running. No proxy: a proxy
// set in the environment must not stand between a test and its own server.
inline HttpAnswer httpRequest(const QByteArray& verb, const QUrl& url, const QByteArray& body = {},
                              const QByteArray& contentType = {}, int ms = kPatienceMs) {
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request(url);
    request.setTransferTimeout(ms);
    if (!contentType.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    std::unique_ptr<QNetworkReply> reply(verb == "GET" ? network.get(request)
                                                       : network.sendCustomRequest(request, verb, body));
    HttpAnswer answer;
    if (!waitUntil([&] { return reply->isFinished(); }, ms + 1000)) {
        reply->abort();
        answer.error = "no answer within " + QString::number(ms) + " ms";
        return answer;
    }
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    if (reply->error() != QNetworkReply::NoError)
        answer.error = reply->errorString();
    return answer;
}

// "key=value&..." with everything but letters, digits and "-._~" percent-encoded: QUrlQuery leaves a
// "+" as it is, which a server reads as a blank.
inline QByteArray formEncoded(const std::vector<std::pair<QString, QString>>& items) {
    QByteArray form;
    for (const auto& [key, value] : items) {
        if (!form.isEmpty())
            form += '&';
        form += QUrl::toPercentEncoding(key) + '=' + QUrl::toPercentEncoding(value);
    }
    return form;
}

// Ports nobody listens on now: each is bound on 127.0.0.1 by the system's choice and let go. All
// are held until the last is chosen, so they differ.
inline std::vector<quint16> freeLoopbackPorts(std::size_t count) {
    std::vector<std::unique_ptr<QTcpServer>> held;
    std::vector<quint16> ports;
    for (std::size_t i = 0; i < count; ++i) {
        held.push_back(std::make_unique<QTcpServer>());
        held.back()->listen(QHostAddress::LocalHost, 0);
        ports.push_back(held.back()->serverPort());
    }
    return ports;
}

// A point as the server gives it back, whatever its own data model: the time, the tags and the
// fields.
struct StoredPoint {
    std::int64_t ms = 0;  // milliseconds since 1970-01-01T00:00:00Z
    std::map<std::string, std::string> tags;
    std::map<std::string, double> fields;        // numbers (integers, floats; booleans as 0 and 1)
    std::map<std::string, std::string> strings;  // string fields, as InfluxDB keeps them
    bool operator<(const StoredPoint& other) const {
        return std::tie(ms, tags) < std::tie(other.ms, other.tags);
    }
};

struct StoredPoints {
    std::vector<StoredPoint> points;  // by time
    std::string error;                // why the server could not be asked
};

// A server in a child process; the base of the two kinds. The port and the data folder stay the
// same across stop() and start(), so a restarted server holds what it was given before.
class TsdbServer {
public:
    virtual ~TsdbServer() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    TsdbServer(const TsdbServer&) = delete;
    TsdbServer& operator=(const TsdbServer&) = delete;

    const std::string& name() const { return m_name; }
    bool installed() const { return QFileInfo(m_program).isExecutable(); }
    quint16 port() const { return m_ports.front(); }
    const QString& database() const { return m_database; }
    QString baseUrl() const { return "http://127.0.0.1:" + QString::number(port()); }
    // The InfluxDB 1.x write URL both kinds take, timestamps in whole seconds.
    QString writeUrl() const { return baseUrl() + "/write?db=" + m_database + "&precision=s"; }
    bool running() const { return m_process.state() != QProcess::NotRunning; }

    // Starts the server and waits until it answers; false with problem() set when it did not.
    bool start() {
        m_problem.clear();
        if (!installed())
            return fail(m_program.toStdString() + " is not installed");
        if (running())
            return true;
        m_process.setProgram(m_program);
        m_process.setArguments(arguments());
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setStandardOutputFile(logPath(), QIODevice::Append);
        m_process.start();
        if (!m_process.waitForStarted(kPatienceMs))
            return fail("cannot start " + m_program.toStdString() + ": " +
                        m_process.errorString().toStdString());
        if (!waitUntilAnswering())
            return false;
        return prepare();
    }
    // SIGTERM, and waits until it has ended (SIGKILL if it does not end in time).
    void stop() {
        if (!running())
            return;
        m_process.terminate();
        if (!waitUntil([this] { return !running(); }, kPatienceMs)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    bool restart() {
        stop();
        return start();
    }

    // Posts line protocol to writeUrl().
    HttpAnswer write(const QByteArray& lines) const {
        return httpRequest("POST", QUrl(writeUrl()), lines, "text/plain; charset=utf-8");
    }
    // Every point of `measurement` in the database, by time.
    virtual StoredPoints points(const std::string& measurement) const = 0;

    // Why start() failed, with the server's own words.
    const std::string& problem() const { return m_problem; }
    std::string log() const {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

protected:
    TsdbServer(std::string name, QString program, std::size_t ports, QString database)
        : m_name(std::move(name)),
          m_program(std::move(program)),
          m_ports(freeLoopbackPorts(ports)),
          m_database(std::move(database)) {}

    virtual QStringList arguments() const = 0;
    // A GET of this path answers this status once the server takes requests.
    virtual QString readyPath() const = 0;
    virtual int readyStatus() const = 0;
    // What the server needs once it answers (a database to create).
    virtual bool prepare() { return true; }

    bool fail(const std::string& why) {
        m_problem = why;
        const std::string output = log();
        if (!output.empty())
            m_problem += "\n" + m_name + " said:\n" +
                         output.substr(output.size() - std::min<std::size_t>(output.size(), 4000));
        return false;
    }
    QString logPath() const { return QString::fromStdString(m_folder.file("server.log")); }
    std::string dataPath(const std::string& name) const { return m_folder.file(name); }
    quint16 extraPort(std::size_t i) const { return m_ports.at(i); }

private:
    // Probes readyPath() again as soon as a probe has failed (each check of the wait), so the
    // wait ends within a tick of the server taking requests, or when it has exited.
    bool waitUntilAnswering() {
        QNetworkAccessManager network;
        network.setProxy(QNetworkProxy::NoProxy);
        std::unique_ptr<QNetworkReply> probe;
        bool ready = false;
        const QUrl url(baseUrl() + readyPath());
        waitUntil(
            [&] {
                if (!running())
                    return true;
                if (probe && probe->isFinished()) {
                    ready =
                        probe->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == readyStatus();
                    probe.reset();
                }
                if (!ready && !probe)
                    probe.reset(network.get(QNetworkRequest(url)));
                return ready;
            },
            kServerStartMs);
        if (ready)
            return true;
        if (!running())
            return fail(m_name + " exited with " + std::to_string(m_process.exitCode()) +
                        " before answering");
        return fail(m_name + " did not answer " + url.toString().toStdString() + " within " +
                    std::to_string(kServerStartMs) + " ms");
    }

    std::string m_name;
    QString m_program;
    std::vector<quint16> m_ports;
    QString m_database;
    TempFolder m_folder;
    QProcess m_process;
    std::string m_problem;
};

// InfluxDB 1.x: its configuration file, metadata, data and write-ahead log in the folder, HTTP
// on port(), its RPC (backup) service on a second port, nothing reported home or logged per
// request. The database is created once it answers.
class InfluxServer : public TsdbServer {
public:
    explicit InfluxServer(QString database = "lab")
        : TsdbServer("InfluxDB", "/usr/bin/influxd", 2, std::move(database)) {}

    StoredPoints points(const std::string& measurement) const override {
        // GROUP BY * parts the tags from the fields: each series has its tags once and only the
        // fields as columns.
        const QJsonObject result =
            query("SELECT * FROM \"" + QString::fromStdString(measurement) + "\" GROUP BY *");
        StoredPoints stored;
        if (result.contains("error")) {
            stored.error = result.value("error").toString().toStdString();
            return stored;
        }
        for (const QJsonValue& series : result.value("series").toArray()) {
            std::map<std::string, std::string> tags;
            const QJsonObject tagObject = series.toObject().value("tags").toObject();
            for (auto it = tagObject.begin(); it != tagObject.end(); ++it)
                if (!it.value().toString().isEmpty())  // a tag the series lacks comes as ""
                    tags[it.key().toStdString()] = it.value().toString().toStdString();
            const QJsonArray columns = series.toObject().value("columns").toArray();
            for (const QJsonValue& rowValue : series.toObject().value("values").toArray()) {
                const QJsonArray row = rowValue.toArray();
                StoredPoint point;
                point.tags = tags;
                for (qsizetype i = 0; i < columns.size() && i < row.size(); ++i) {
                    const std::string column = columns[i].toString().toStdString();
                    const QJsonValue value = row[i];
                    if (column == "time")
                        point.ms = static_cast<std::int64_t>(value.toDouble());
                    else if (value.isDouble())
                        point.fields[column] = value.toDouble();
                    else if (value.isBool())
                        point.fields[column] = value.toBool() ? 1 : 0;
                    else if (value.isString())
                        point.strings[column] = value.toString().toStdString();
                    // null: the point has no such field
                }
                stored.points.push_back(std::move(point));
            }
        }
        std::sort(stored.points.begin(), stored.points.end());
        return stored;
    }

    // Each field key of `measurement` with the type InfluxDB gave it ("float", "integer",
    // "string", "boolean"); the first point that wrote a field decides its type in a shard.
    std::map<std::string, std::string> fieldTypes(const std::string& measurement) const {
        std::map<std::string, std::string> types;
        const QJsonObject result =
            query("SHOW FIELD KEYS FROM \"" + QString::fromStdString(measurement) + "\"");
        for (const QJsonValue& series : result.value("series").toArray())
            for (const QJsonValue& row : series.toObject().value("values").toArray())
                types[row.toArray().at(0).toString().toStdString()] =
                    row.toArray().at(1).toString().toStdString();
        return types;
    }

protected:
    QStringList arguments() const override {
        const std::string config = dataPath("influxdb.conf");
        TempFolder::write(config,
                          "reporting-disabled = true\n"
                          "bind-address = \"127.0.0.1:" +
                              std::to_string(extraPort(1)) +
                              "\"\n"
                              "[meta]\n"
                              "  dir = \"" +
                              dataPath("meta") +
                              "\"\n"
                              "  logging-enabled = false\n"
                              "[data]\n"
                              "  dir = \"" +
                              dataPath("data") +
                              "\"\n"
                              "  wal-dir = \"" +
                              dataPath("wal") +
                              "\"\n"
                              "  query-log-enabled = false\n"
                              "[http]\n"
                              "  enabled = true\n"
                              "  bind-address = \"127.0.0.1:" +
                              std::to_string(port()) +
                              "\"\n"
                              "  auth-enabled = false\n"
                              "  log-enabled = false\n"
                              "[logging]\n"
                              "  level = \"error\"\n"
                              "  suppress-logo = true\n"
                              "[monitor]\n"
                              "  store-enabled = false\n"
                              "[continuous_queries]\n"
                              "  enabled = false\n");
        return {"run", "-config", QString::fromStdString(config)};
    }
    QString readyPath() const override { return "/ping"; }
    int readyStatus() const override { return 204; }
    bool prepare() override {
        const HttpAnswer answer = httpRequest("POST", QUrl(baseUrl() + "/query"),
                                              formEncoded({{"q", "CREATE DATABASE " + database()}}),
                                              "application/x-www-form-urlencoded");
        if (answer.status != 200)
            return fail("CREATE DATABASE answered " + std::to_string(answer.status) + " " +
                        answer.error.toStdString() + " " + answer.body.toStdString());
        return true;
    }

private:
    // The first statement's result of an InfluxQL query, times in milliseconds; {"error": ...}
    // when it or the request failed.
    QJsonObject query(const QString& statement) const {
        const QUrl url(baseUrl() + "/query?" +
                       formEncoded({{"db", database()}, {"epoch", "ms"}, {"q", statement}}));
        const HttpAnswer answer = httpRequest("GET", url);
        if (answer.status != 200)
            return {{"error", QString::number(answer.status) + " " + answer.error + " " + answer.body}};
        return QJsonDocument::fromJson(answer.body).object().value("results").toArray().at(0).toObject();
    }
};

// VictoriaMetrics: storage in the folder, HTTP (where its InfluxDB /write is) on port().
// Points are visible to a query as soon as they are taken (no latency offset, no cache, a flush
// before each read). It keeps each field as a series of its own named <measurement>_<field>, with
// the tags and the URL's db as labels; it keeps numbers only (a string field's value is lost) and
// every sample it is sent, so a point sent twice is there twice.
class VictoriaServer : public TsdbServer {
public:
    explicit VictoriaServer(QString database = "lab")
        : TsdbServer("VictoriaMetrics", "/usr/bin/victoria-metrics", 1, std::move(database)) {}

    StoredPoints points(const std::string& measurement) const override {
        StoredPoints stored;
        const HttpAnswer flushed = httpRequest("GET", QUrl(baseUrl() + "/internal/force_flush"));
        if (flushed.status != 200) {
            stored.error =
                "force_flush answered " + std::to_string(flushed.status) + " " + flushed.error.toStdString();
            return stored;
        }
        const QUrl url(baseUrl() + "/api/v1/export?" +
                       formEncoded({{"match[]", "{__name__=~\"" + QString::fromStdString(measurement) +
                                                    "_.+\",db=\"" + database() + "\"}"}}));
        const HttpAnswer answer = httpRequest("GET", url);
        if (answer.status != 200) {
            stored.error = "export answered " + std::to_string(answer.status) + " " +
                           answer.error.toStdString() + " " + answer.body.toStdString();
            return stored;
        }
        // Samples of one time and label set are one point; a field that comes again for a point
        // that has it already starts another point, so a sample stored twice counts twice.
        std::map<std::pair<std::int64_t, std::map<std::string, std::string>>, std::vector<StoredPoint>>
            grouped;
        const std::string prefix = measurement + "_";
        for (const QByteArray& line : answer.body.split('\n')) {
            if (line.trimmed().isEmpty())
                continue;
            const QJsonObject series = QJsonDocument::fromJson(line).object();
            const QJsonObject metric = series.value("metric").toObject();
            const std::string name = metric.value("__name__").toString().toStdString();
            if (name.rfind(prefix, 0) != 0)
                continue;
            const std::string field = name.substr(prefix.size());
            std::map<std::string, std::string> tags;
            for (auto it = metric.begin(); it != metric.end(); ++it)
                if (it.key() != "__name__" && it.key() != "db")
                    tags[it.key().toStdString()] = it.value().toString().toStdString();
            const QJsonArray values = series.value("values").toArray();
            const QJsonArray times = series.value("timestamps").toArray();
            for (qsizetype i = 0; i < values.size() && i < times.size(); ++i) {
                const auto ms = static_cast<std::int64_t>(times[i].toDouble());
                std::vector<StoredPoint>& same = grouped[{ms, tags}];
                auto free = std::find_if(same.begin(), same.end(),
                                         [&](const StoredPoint& p) { return !p.fields.count(field); });
                if (free == same.end()) {
                    same.push_back(StoredPoint{ms, tags, {}, {}});
                    free = same.end() - 1;
                }
                // NaN and the infinities come as strings.
                free->fields[field] =
                    values[i].isString() ? values[i].toString().toDouble() : values[i].toDouble();
            }
        }
        for (auto& [key, same] : grouped)
            for (StoredPoint& point : same)
                stored.points.push_back(std::move(point));
        std::sort(stored.points.begin(), stored.points.end());
        return stored;
    }

protected:
    QStringList arguments() const override {
        return {"-storageDataPath=" + QString::fromStdString(dataPath("data")),
                "-httpListenAddr=127.0.0.1:" + QString::number(port()), "-search.latencyOffset=0s",
                "-search.disableCache", "-loggerLevel=ERROR"};
    }
    QString readyPath() const override { return "/health"; }
    int readyStatus() const override { return 200; }
};

}  // namespace calvex::test
