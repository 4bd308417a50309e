#include "sinks/influx_forwarder.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>

#include "e2e/sim_process.h"
#include "support/manual_clock.h"
#include "support/temp_folder.h"

namespace calvex {
namespace {

using test::TempFolder;
using test::waitUntil;

using test::kPatienceMs;

// A write endpoint on 127.0.0.1 that answers from a script, for the answers a real database does
// not give on demand (refusals, overload, silence).
class FakeWriteServer {
public:
    struct Answer {
        Answer(int status = 204, std::string body = {}, int holdMs = 0, bool never = false)
            : status(status), body(std::move(body)), holdMs(holdMs), never(never) {}
        int status;
        std::string body;
        int holdMs;  // the answer waits this long
        bool never;  // no answer at all
    };
    struct Request {
        std::string line;                            // "POST /write?... HTTP/1.1"
        std::map<std::string, std::string> headers;  // names in lower case
        std::string body;
        qint64 atMs = 0;
    };

    FakeWriteServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] { readFrom(socket); });
        });
        m_clock.start();
    }

    // The answers in order; the last one goes on for every request after.
    void script(std::vector<Answer> answers) { m_script.assign(answers.begin(), answers.end()); }
    quint16 port() const { return m_server.serverPort(); }
    QString url(const QString& pathAndQuery) const {
        return "http://127.0.0.1:" + QString::number(port()) + pathAndQuery;
    }
    std::vector<Request> requests;

private:
    void readFrom(QTcpSocket* socket) {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        for (;;) {
            const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
            if (headEnd < 0)
                return;
            Request request;
            const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
            request.line = lines.front().trimmed().toStdString();
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon > 0)
                    request.headers[lines[i].left(colon).trimmed().toLower().toStdString()] =
                        lines[i].mid(colon + 1).trimmed().toStdString();
            }
            const qsizetype length =
                QByteArray::fromStdString(request.headers["content-length"]).toLongLong();
            if (buffer.size() < headEnd + 4 + length)
                return;
            request.body = buffer.mid(headEnd + 4, length).toStdString();
            request.atMs = m_clock.elapsed();
            buffer.remove(0, headEnd + 4 + length);
            requests.push_back(request);
            answer(socket);
        }
    }

    void answer(QTcpSocket* socket) {
        const Answer answer = m_script.empty() ? Answer{} : m_script.front();
        if (m_script.size() > 1)
            m_script.pop_front();
        if (answer.never)
            return;
        const QByteArray bytes = "HTTP/1.1 " + QByteArray::number(answer.status) + " " +
                                 phrase(answer.status) + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                                 QByteArray::number(static_cast<qsizetype>(answer.body.size())) + "\r\n\r\n" +
                                 QByteArray::fromStdString(answer.body);
        QPointer<QTcpSocket> target(socket);
        QTimer::singleShot(answer.holdMs, socket, [target, bytes] {
            if (target)
                target->write(bytes);
        });
    }

    static QByteArray phrase(int status) {
        switch (status) {
            case 204:
                return "No Content";
            case 400:
                return "Bad Request";
            case 401:
                return "Unauthorized";
            case 503:
                return "Service Unavailable";
            default:
                return "Whatever";
        }
    }

    QTcpServer m_server;
    std::deque<Answer> m_script;
    std::map<QTcpSocket*, QByteArray> m_buffers;
    QElapsedTimer m_clock;
};

struct Rig {
    TempFolder folder;
    std::string points = folder.file("spool");  // the spool's folder
    Spool spool{points, 1 << 20};
    test::ManualClock clock{{2026, 12, 10, 14, 5, 32, 0}};
    FakeWriteServer server;
    std::vector<std::string> told;
    std::unique_ptr<InfluxForwarder> forwarder;  // last: goes first

    // `before`: what the spool's points file holds from an earlier run.
    explicit Rig(const std::string& before = {}) {
        if (!before.empty()) {
            std::filesystem::create_directory(points);
            TempFolder::write(points + "/points.0", before);
        }
        std::string why;
        EXPECT_TRUE(spool.open(why)) << why;
    }
    // The points file in use, the one the spool's `sent` names.
    std::string pointsFile() const {
        const std::string sent = TempFolder::read(points + "/sent");
        return TempFolder::read(points + "/points." + sent.substr(0, sent.find(' ')));
    }
    InfluxForwarder::Settings settings(const QString& pathAndQuery = "/api/v2/write?org=o&bucket=b") const {
        InfluxForwarder::Settings s;
        s.url = QUrl(server.url(pathAndQuery));
        s.firstRetryMs = 30;
        s.slowRetryMs = 300;
        s.timeoutMs = 2000;
        return s;
    }
    void make(const InfluxForwarder::Settings& s) {
        forwarder = std::make_unique<InfluxForwarder>(
            spool, clock, s, [this](const std::string& line) { told.push_back(line); });
    }
    // Appends points named p<first>.. p<first + count - 1>, and tells the forwarder when `tell`.
    std::string add(int first, int count, bool tell = false) {
        std::string lines;
        for (int i = first; i < first + count; ++i) {
            const std::string line = "calvex,instrument=oven t1=" + std::to_string(i) + " " +
                                     std::to_string(1765375532 + i) + "\n";
            EXPECT_EQ(spool.append(line), Spool::Append::Kept);
            if (tell)
                forwarder->pointAdded(true);
            lines += line;
        }
        return lines;
    }
    std::string sendingTo(const QString& shown) const {
        return "sending to " + server.url(shown).toStdString();
    }
};

TEST(InfluxForwarderTest, AcceptedBatchIsGivenUpInTheSpool) {
    struct Case {
        QString url;
        std::string token, requestLine, authorization;
        QString shown;
    };
    for (const Case& c : std::vector<Case>{
             {"/api/v2/write?org=o&bucket=b", "secret-token",
              "POST /api/v2/write?org=o&bucket=b&precision=s HTTP/1.1", "Token secret-token",
              "/api/v2/write?org=o&bucket=b&precision=s"},
             {"/write?db=lab&u=me&p=pw&precision=s", "", "POST /write?db=lab&u=me&p=pw&precision=s HTTP/1.1",
              "", "/write?db=lab&precision=s"},
         }) {
        Rig rig;
        InfluxForwarder::Settings settings = rig.settings(c.url);
        settings.token = c.token;
        rig.make(settings);
        const std::string lines = rig.add(0, 3);
        rig.forwarder->start();
        ASSERT_TRUE(waitUntil([&] { return rig.forwarder->pointsPending() == 0; }, kPatienceMs));

        ASSERT_EQ(rig.server.requests.size(), 1u);
        auto& request = rig.server.requests[0];
        EXPECT_EQ(request.line, c.requestLine);
        EXPECT_EQ(request.headers["authorization"], c.authorization);
        EXPECT_EQ(request.headers["content-type"], "text/plain; charset=utf-8");
        EXPECT_EQ(request.body, lines);
        EXPECT_EQ(rig.pointsFile(), "");
        EXPECT_EQ(TempFolder::read(rig.points + "/sent"), "1 0\n");
        EXPECT_EQ(rig.forwarder->pointsSent(), 3u);
        EXPECT_EQ(rig.told, std::vector<std::string>{rig.sendingTo(c.shown)});
    }
}

TEST(InfluxForwarderTest, PointsAddedInFlightGoInTheNextBatch) {
    Rig rig;
    rig.make(rig.settings());
    rig.server.script({{204, "", 300}, {204}});
    const std::string first = rig.add(0, 1, true);
    ASSERT_TRUE(waitUntil([&] { return rig.server.requests.size() == 1; }, kPatienceMs));
    const std::string more = rig.add(1, 2, true);
    ASSERT_TRUE(waitUntil([&] { return rig.forwarder->pointsPending() == 0; }, kPatienceMs));

    ASSERT_EQ(rig.server.requests.size(), 2u);
    EXPECT_EQ(rig.server.requests[0].body, first);
    EXPECT_EQ(rig.server.requests[1].body, more);
    EXPECT_EQ(rig.pointsFile(), "");
}

TEST(InfluxForwarderTest, BacklogGoesInBatchesOfAtMostMaxPoints) {
    Rig rig;
    InfluxForwarder::Settings settings = rig.settings();
    settings.maxPoints = 5;
    rig.make(settings);
    const std::string lines = rig.add(0, 12);
    rig.forwarder->start();
    ASSERT_TRUE(waitUntil([&] { return rig.forwarder->pointsPending() == 0; }, kPatienceMs));

    ASSERT_EQ(rig.server.requests.size(), 3u);
    std::string all;
    const std::vector<int> expected{5, 5, 2};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string& body = rig.server.requests[i].body;
        EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), expected[i]) << i;
        all += body;
    }
    EXPECT_EQ(all, lines);
    EXPECT_EQ(rig.pointsFile(), "");
    EXPECT_EQ(rig.told.size(), 1u);  // no failure, nothing to catch up
}

TEST(InfluxForwarderTest, RefusalIsToldOnceKeepsThePointsAndRetriesSlowly) {
    Rig rig;
    rig.make(rig.settings());
    const std::string reason = R"({"code":"invalid","message":"partial write: field type conflict"})";
    rig.server.script({{400, reason}});
    const std::string lines = rig.add(0, 2);
    rig.forwarder->start();
    ASSERT_TRUE(waitUntil([&] { return rig.server.requests.size() >= 3; }, kPatienceMs));

    EXPECT_EQ(rig.told, std::vector<std::string>{"server refused the points (HTTP 400): " + reason});
    for (std::size_t i = 0; i < rig.server.requests.size(); ++i) {
        EXPECT_EQ(rig.server.requests[i].body, lines) << i;
        if (i > 0) {  // never sooner than the slow pace (a timer may fire a little early)
            EXPECT_GE(rig.server.requests[i].atMs - rig.server.requests[i - 1].atMs, 270) << i;
        }
    }
    EXPECT_EQ(rig.pointsFile(), lines);
    EXPECT_EQ(rig.forwarder->pointsPending(), 2u);

    // Taken at last: caught up. A refusal after that success is told again.
    rig.server.script({{204}});
    ASSERT_TRUE(waitUntil([&] { return rig.forwarder->pointsPending() == 0; }, kPatienceMs));
    rig.server.script({{401, "unauthorized access"}});
    rig.add(2, 1, true);
    ASSERT_TRUE(waitUntil([&] { return rig.told.size() >= 4; }, kPatienceMs));
    EXPECT_EQ(rig.told, (std::vector<std::string>{
                            "server refused the points (HTTP 400): " + reason,
                            rig.sendingTo("/api/v2/write?org=o&bucket=b&precision=s"),
                            "caught up with 2 points",
                            "server refused the points (HTTP 401): unauthorized access",
                        }));
}

TEST(InfluxForwarderTest, RefusalReasonIsOneBoundedLine) {
    struct Case {
        std::string body, told;
    };
    const std::string longLine(5000, 'x');
    for (const Case& c : std::vector<Case>{
             {"line one\r\nline two\n\n", "line one line two"},
             {"", "Bad Request"},
             {"\t \r\n", "Bad Request"},
             {longLine, std::string(300, 'x') + "..."},
             {std::string(299, 'a') + "\xc3\xa9 tail", std::string(299, 'a') + "..."},
         }) {
        Rig rig;
        rig.make(rig.settings());
        rig.server.script({{400, c.body}});
        rig.add(0, 1, true);
        ASSERT_TRUE(waitUntil([&] { return !rig.told.empty(); }, kPatienceMs));
        EXPECT_EQ(rig.told[0], "server refused the points (HTTP 400): " + c.told) << c.body.substr(0, 20);
    }
}

TEST(InfluxForwarderTest, OverloadIsRetriedWithADoublingBackoffThenCaughtUp) {
    Rig rig;
    InfluxForwarder::Settings settings = rig.settings();
    settings.firstRetryMs = 60;
    settings.slowRetryMs = 5000;
    rig.make(settings);
    rig.server.script({{503, "overloaded\n"}, {503}, {503}, {204}});
    const std::string before = rig.add(0, 3);
    rig.forwarder->start();
    ASSERT_TRUE(waitUntil([&] { return rig.server.requests.size() == 1; }, kPatienceMs));
    // Recorded during the outage: waits for the retry, then goes with the backlog.
    const std::string during = rig.add(3, 2, true);
    ASSERT_TRUE(waitUntil([&] { return rig.forwarder->pointsPending() == 0; }, kPatienceMs));

    ASSERT_EQ(rig.server.requests.size(), 4u);
    EXPECT_EQ(rig.server.requests[0].body, before);
    EXPECT_EQ(rig.server.requests[3].body, before + during);
    const auto& r = rig.server.requests;
    EXPECT_GE(r[1].atMs - r[0].atMs, 54);
    EXPECT_GE(r[2].atMs - r[1].atMs, 108);
    EXPECT_GE(r[3].atMs - r[2].atMs, 216);
    EXPECT_EQ(rig.told, (std::vector<std::string>{
                            "server unreachable since 2026-12-10T14:05:32: HTTP 503: overloaded",
                            rig.sendingTo("/api/v2/write?org=o&bucket=b&precision=s"),
                            "caught up with 5 points",
                        }));

    // A new outage after a success is told again, with its own time.
    rig.clock.advanceSeconds(90);
    rig.server.script({{503}, {204}});
    rig.add(5, 1, true);
    ASSERT_TRUE(waitUntil([&] { return rig.told.size() == 5; }, kPatienceMs));
    EXPECT_EQ(rig.told[3], "server unreachable since 2026-12-10T14:07:02: HTTP 503");
    EXPECT_EQ(rig.told[4], "caught up with 1 point");

    // Asked to wait (429), the forwarder backs off as from an overload and does not give up.
    rig.clock.advanceSeconds(90);
    rig.server.script({{429, "too many requests\n"}, {204}});
    rig.add(6, 1, true);
    ASSERT_TRUE(waitUntil([&] { return rig.told.size() == 7; }, kPatienceMs));
    EXPECT_EQ(rig.told[5], "server unreachable since 2026-12-10T14:08:32: HTTP 429: too many requests");
    EXPECT_EQ(rig.told[6], "caught up with 1 point");
}

TEST(InfluxForwarderTest, SilenceAndRefusedConnectionAreUnreachable) {
    struct Case {
        const char* name;
        bool listening;
        std::string reason;
    };
    for (const Case& c : std::vector<Case>{{"silent server", true, "no answer within 200 ms"},
                                           {"nobody listening", false, "connection refused"}}) {
        Rig rig;
        InfluxForwarder::Settings settings = rig.settings();
        settings.timeoutMs = 200;
        settings.firstRetryMs = 60000;
        if (!c.listening) {
            QTcpServer closed;
            closed.listen(QHostAddress::LocalHost, 0);
            settings.url.setPort(closed.serverPort());
        }
        rig.server.script({{204, "", 0, true}});
        rig.make(settings);
        const std::string lines = rig.add(0, 2, true);
        ASSERT_TRUE(waitUntil([&] { return !rig.told.empty(); }, kPatienceMs)) << c.name;
        EXPECT_EQ(rig.told,
                  std::vector<std::string>{"server unreachable since 2026-12-10T14:05:32: " + c.reason})
            << c.name;
        EXPECT_EQ(rig.pointsFile(), lines) << c.name;
        EXPECT_EQ(rig.forwarder->pointsPending(), 2u) << c.name;
        // While the retry waits, new points wait too.
        rig.add(2, 1, true);
        waitUntil([] { return false; }, 200);
        EXPECT_EQ(rig.server.requests.size(), c.listening ? 1u : 0u) << c.name;
    }
}

TEST(InfluxForwarderTest, SpoolFullAndRoomAgainAreToldOnceEach) {
    Rig rig;
    rig.make(rig.settings());
    rig.forwarder->pointAdded(false);
    rig.forwarder->pointAdded(false);
    rig.forwarder->pointAdded(true);
    rig.forwarder->pointAdded(true);
    rig.forwarder->pointAdded(false);
    const std::string full =
        "spool full (" + rig.points + "): points are not forwarded until it has room; the data file goes on";
    EXPECT_EQ(rig.told, (std::vector<std::string>{full, "spool has room again", full}));
}

TEST(InfluxForwarderTest, DrainEndsWhenEverythingIsSentOrTimeIsUp) {
    {
        Rig rig;
        rig.make(rig.settings());
        bool done = false;
        rig.forwarder->drain(5000, [&] { done = true; });
        EXPECT_TRUE(done);  // nothing pending: at once
        EXPECT_TRUE(rig.server.requests.empty());
    }
    {
        Rig rig;
        rig.make(rig.settings());
        rig.server.script({{204, "", 100}});
        const std::string lines = rig.add(0, 4);
        std::uint64_t pendingWhenDone = 99;
        rig.forwarder->drain(kPatienceMs, [&] { pendingWhenDone = rig.forwarder->pointsPending(); });
        ASSERT_TRUE(waitUntil([&] { return pendingWhenDone != 99; }, kPatienceMs));
        EXPECT_EQ(pendingWhenDone, 0u);
        ASSERT_EQ(rig.server.requests.size(), 1u);
        EXPECT_EQ(rig.server.requests[0].body, lines);
    }
    {
        Rig rig;
        rig.make(rig.settings());
        rig.server.script({{204, "", 0, true}});
        const std::string lines = rig.add(0, 2);
        QElapsedTimer waited;
        waited.start();
        qint64 doneAfterMs = -1;
        rig.forwarder->drain(300, [&] { doneAfterMs = waited.elapsed(); });
        ASSERT_TRUE(waitUntil([&] { return doneAfterMs >= 0; }, kPatienceMs));
        EXPECT_GE(doneAfterMs, 270);
        EXPECT_EQ(rig.pointsFile(), lines);  // left for the next run
    }
}

TEST(InfluxForwarderTest, DamagedLinesArePassedOver) {
    const std::string damaged = std::string(100 * 1024, 'x') + "\n";
    const std::string good = "calvex t1=1 1765375532\n";
    {
        Rig rig(damaged + good + damaged);
        rig.make(rig.settings());
        rig.forwarder->start();
        ASSERT_TRUE(waitUntil([&] { return rig.forwarder->pointsPending() == 0; }, kPatienceMs));
        ASSERT_EQ(rig.server.requests.size(), 1u);
        EXPECT_EQ(rig.server.requests[0].body, good);
        EXPECT_EQ(rig.pointsFile(), "");
    }
    {
        Rig rig(damaged);
        rig.make(rig.settings());
        bool done = false;
        rig.forwarder->drain(5000, [&] { done = true; });
        EXPECT_TRUE(done);
        EXPECT_TRUE(rig.server.requests.empty());
        EXPECT_EQ(rig.pointsFile(), "");
    }
}

TEST(InfluxForwarderTest, UrlProblems) {
    struct Case {
        const char* url;
        std::string problem;
    };
    for (const Case& c : std::vector<Case>{
             {"http://db.example:8086/write?db=lab", ""},
             {"https://db.example/api/v2/write?org=o&bucket=b&precision=s", ""},
             {"ftp://db.example/write", "not an http or https URL"},
             {"db.example:8086/write", "not an http or https URL"},
             {"http:///write", "no host"},
             {"http://db.example/write?precision=ns", "precision ns where the points carry whole seconds"},
             {"http://db.example/write?precision=s&precision=ms",
              "precision ms where the points carry whole seconds"},
         }) {
        EXPECT_EQ(InfluxForwarder::urlProblem(QUrl(c.url)), c.problem) << c.url;
    }
}

}  // namespace
}  // namespace calvex
