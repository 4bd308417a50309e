#include <gtest/gtest.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QTimeZone>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

#include "e2e/sim_process.h"
#include "support/read_file.h"
#include "support/run_without_display.h"
#include "support/temp_folder.h"
#include "support/tsdb_server.h"

// calvex-record forwarding its lines to real servers (InfluxDB 1.x and VictoriaMetrics as child
// processes), and the server harness itself.

namespace calvex {
namespace {

using test::StoredPoint;
using test::TsdbServer;

std::unique_ptr<TsdbServer> makeServer(const std::string& kind) {
    if (kind == "InfluxDB")
        return std::make_unique<test::InfluxServer>();
    return std::make_unique<test::VictoriaServer>();
}

std::string describe(const std::vector<StoredPoint>& points) {
    std::ostringstream out;
    for (const StoredPoint& p : points) {
        out << p.ms;
        for (const auto& [key, value] : p.tags)
            out << ' ' << key << '=' << value;
        for (const auto& [key, value] : p.fields)
            out << ' ' << key << ':' << value;
        for (const auto& [key, value] : p.strings)
            out << ' ' << key << ":\"" << value << '"';
        out << '\n';
    }
    return out.str();
}

// Asks until `count` points are there (a server may take a moment to show what it took) and
// gives what it holds then.
std::vector<StoredPoint> pointsOnceThere(const TsdbServer& server, std::size_t count, int ms) {
    test::StoredPoints stored;
    test::waitUntil(
        [&] {
            stored = server.points("calvex");
            return stored.error.empty() && stored.points.size() >= count;
        },
        ms);
    EXPECT_EQ(stored.error, "") << server.name();
    return stored.points;
}

// ---- The harness, proven with line protocol posted straight to each server.

class TsdbHarness : public ::testing::TestWithParam<std::string> {};

TEST_P(TsdbHarness, KeepsWhatWasWrittenAcrossARestart) {
    const std::unique_ptr<TsdbServer> server = makeServer(GetParam());
    if (!server->installed())
        GTEST_SKIP() << server->name() << " is not installed (scripts/setup.sh installs it)";
    ASSERT_TRUE(server->start()) << server->problem();

    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    const std::string first = std::to_string(now - 2);
    const std::string second = std::to_string(now - 1);
    const test::HttpAnswer written = server->write(QByteArray::fromStdString(
        "calvex,instrument=oven\\ 1,model=dual,type=K,unit=C t1=25.1,t1_state=0i,t2_state=1i " + first +
        "\n" + "calvex,instrument=oven\\ 1,model=dual,type=K,unit=C t1_state=2i,t2=-3.5,t2_state=0i " +
        second + "\n"));
    ASSERT_EQ(written.status, 204) << written.error.toStdString() << written.body.toStdString();

    const std::map<std::string, std::string> tags{
        {"instrument", "oven 1"}, {"model", "dual"}, {"type", "K"}, {"unit", "C"}};
    const std::vector<StoredPoint> expected{
        {(now - 2) * 1000, tags, {{"t1", 25.1}, {"t1_state", 0}, {"t2_state", 1}}, {}},
        {(now - 1) * 1000, tags, {{"t1_state", 2}, {"t2", -3.5}, {"t2_state", 0}}, {}}};
    const auto same = [](const std::vector<StoredPoint>& a, const std::vector<StoredPoint>& b) {
        return describe(a) == describe(b);
    };
    std::vector<StoredPoint> stored = pointsOnceThere(*server, 2, test::kPatienceMs);
    EXPECT_TRUE(same(stored, expected)) << describe(stored);

    server->stop();
    EXPECT_FALSE(server->running());
    EXPECT_EQ(server->write("calvex,instrument=x t1_state=2i " + QByteArray::number(now) + "\n").status, 0);
    EXPECT_NE(server->points("calvex").error, "");

    ASSERT_TRUE(server->restart()) << server->problem();
    stored = pointsOnceThere(*server, 2, test::kPatienceMs);
    EXPECT_TRUE(same(stored, expected)) << describe(stored);
    // A point sent again with its own time: InfluxDB overwrites it, VictoriaMetrics keeps both.
    ASSERT_EQ(server
                  ->write(QByteArray::fromStdString(
                      "calvex,instrument=oven\\ 1,model=dual,type=K,unit=C t1=25.1,t1_state=0i,t2_state=1i " +
                      first + "\n"))
                  .status,
              204);
    stored = pointsOnceThere(*server, GetParam() == "InfluxDB" ? 2 : 3, test::kPatienceMs);
    EXPECT_EQ(stored.size(), GetParam() == "InfluxDB" ? 2u : 3u) << describe(stored);
}

TEST(InfluxHarness, TellsTheFieldTypes) {
    test::InfluxServer server;
    if (!server.installed())
        GTEST_SKIP() << server.name() << " is not installed (scripts/setup.sh installs it)";
    ASSERT_TRUE(server.start()) << server.problem();
    ASSERT_EQ(server.write("calvex,instrument=a t1=25,t1_state=0i,note=\"x\"\n").status, 204);
    EXPECT_EQ(
        server.fieldTypes("calvex"),
        (std::map<std::string, std::string>{{"note", "string"}, {"t1", "float"}, {"t1_state", "integer"}}));
    const std::vector<StoredPoint> stored = pointsOnceThere(server, 1, test::kPatienceMs);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].strings, (std::map<std::string, std::string>{{"note", "x"}}));
}

INSTANTIATE_TEST_SUITE_P(Servers, TsdbHarness, ::testing::Values("InfluxDB", "VictoriaMetrics"),
                         [](const auto& info) { return info.param; });

// ---- calvex-record against the servers.

// The recorder runs in a zone half an hour off whole hours, so a point whose time was taken for UTC
// (or the other way round) cannot match the file's time of day, whatever zone the machine has.
const char* const kZoneSpec = "<+0530>-5:30";
const QTimeZone kZone(5 * 3600 + 30 * 60);

// calvex-record with no display and no terminal, as a service runs it; its standard error (the
// journal) is kept whole.
class Recorder {
public:
    explicit Recorder(const QStringList& arguments) {
        QProcessEnvironment environment = test::environmentWithoutDisplay();
        environment.insert("TZ", kZoneSpec);
        m_process.setProcessEnvironment(environment);
        m_process.setProgram(CALVEX_RECORD);
        m_process.setArguments(arguments);
        m_process.start();
        m_process.waitForStarted(test::kPatienceMs);
    }
    ~Recorder() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    bool finish(int ms) {
        return test::waitUntil([this] { return m_process.state() == QProcess::NotRunning; }, ms);
    }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    void terminate() { m_process.terminate(); }
    // SIGKILL: no chance to write, send or tidy anything.
    void killHard() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    int exitCode() const { return m_process.exitCode(); }
    const std::string& journal() {
        m_journal += m_process.readAllStandardError().toStdString();
        return m_journal;
    }
    // Waits until the journal holds `pattern` after `from`; its position then, or npos.
    std::size_t waitToSay(const std::regex& pattern, std::size_t from, int ms) {
        std::smatch m;
        test::waitUntil(
            [&] {
                const std::string& text = journal();
                return std::regex_search(
                    text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
                    pattern);
            },
            ms);
        const std::string& text = journal();
        std::string::const_iterator start =
            text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size()));
        if (!std::regex_search(start, text.cend(), m, pattern))
            return std::string::npos;
        return static_cast<std::size_t>(m.position(0) + (start - text.cbegin()));
    }

private:
    QProcess m_process;
    std::string m_journal;
};

const std::string kDated = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d calvex-record: )";

struct TabLine {
    int number = 0;
    std::string time;                   // hh:mm:ss
    std::vector<std::string> readings;  // T1, or T1, T2 and T1-T2
    std::string unit;
};

// The whole lines of a data file.
std::vector<TabLine> tabLines(const std::string& bytes) {
    std::vector<TabLine> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = bytes.find("\r\n", from)) != std::string::npos; from = end + 2) {
        std::vector<std::string> cells;
        std::istringstream in(bytes.substr(from, end - from));
        for (std::string cell; std::getline(in, cell, '\t');)
            cells.push_back(cell);
        EXPECT_TRUE(cells.size() == 4 || cells.size() == 6) << bytes.substr(from, end - from);
        if (cells.size() != 4 && cells.size() != 6)
            continue;
        lines.push_back({std::stoi(cells[0]), cells[1], {cells.begin() + 2, cells.end() - 1}, cells.back()});
    }
    return lines;
}

std::string describe(const std::vector<TabLine>& lines) {
    std::string text;
    for (const TabLine& line : lines) {
        text += std::to_string(line.number) + " " + line.time;
        for (const std::string& reading : line.readings)
            text += " " + reading;
        text += " " + line.unit + "\n";
    }
    return text;
}

std::size_t lineCount(const std::string& file) {
    const std::string bytes = test::readFile(file);
    std::size_t count = 0;
    for (std::size_t at = 0; (at = bytes.find("\r\n", at)) != std::string::npos; at += 2)
        ++count;
    return count;
}

// Waits until the file holds `count` lines; false at once when the recorder has ended.
bool waitForLines(Recorder& record, const std::string& file, std::size_t count) {
    test::waitUntil([&] { return lineCount(file) >= count || !record.running(); }, test::kPatienceMs);
    return lineCount(file) >= count;
}

// The state a reading's text stands for, as the points carry it.
int stateOf(const std::string& text) {
    if (text == "OL")
        return 1;
    if (text == "-OL")
        return -1;
    return std::regex_match(text, std::regex(R"(-?\d+(\.\d+)?)")) ? 0 : 2;
}

struct Expected {
    std::string instrument;
    std::string model;
    std::string type;
    std::int64_t fromMs = 0;  // the run's span: a point's time lies in it, give or take the
    std::int64_t toMs = 0;    // second a sample's time is rounded to
};

// One point for each line, in the same order, with the line's readings, its time of day in the
// recorder's zone, a time within the run (the date the line was written, also across a midnight),
// and the run's tags.
void expectPointsOfLines(const std::vector<StoredPoint>& points, const std::vector<TabLine>& lines,
                         const Expected& expected) {
    ASSERT_EQ(points.size(), lines.size()) << describe(points) << describe(lines);
    const std::vector<std::string> channels = lines.empty() || lines[0].readings.size() == 1
                                                  ? std::vector<std::string>{"t1"}
                                                  : std::vector<std::string>{"t1", "t2", "t1_t2"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const StoredPoint& p = points[i];
        const TabLine& line = lines[i];
        SCOPED_TRACE("line " + std::to_string(line.number) + " " + line.time);
        if (i > 0) {
            EXPECT_LT(points[i - 1].ms, p.ms) << "two points at one time";
        }
        EXPECT_EQ(p.ms % 1000, 0);
        EXPECT_GE(p.ms, expected.fromMs - 1000);
        EXPECT_LE(p.ms, expected.toMs + 1000);
        EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(p.ms, kZone).time().toString("hh:mm:ss").toStdString(),
                  line.time);
        EXPECT_EQ(p.tags, (std::map<std::string, std::string>{{"instrument", expected.instrument},
                                                              {"model", expected.model},
                                                              {"type", expected.type},
                                                              {"unit", line.unit}}));
        std::map<std::string, double> fields;
        ASSERT_EQ(line.readings.size(), channels.size());
        for (std::size_t c = 0; c < channels.size(); ++c) {
            const int state = stateOf(line.readings[c]);
            fields[channels[c] + "_state"] = state;
            if (state == 0)
                fields[channels[c]] = std::stod(line.readings[c]);
        }
        EXPECT_EQ(p.fields, fields);
        EXPECT_TRUE(p.strings.empty());
    }
}

const QStringList kDualSim{"--model", "dual", "--unit", "C", "--type", "K", "--period", "200"};

QStringList recordArguments(const test::SimProcess& sim, const test::TempFolder& folder,
                            const TsdbServer& server, const QStringList& more = {}) {
    return QStringList{"--port",   QString::fromStdString(sim.device()),
                       "--every",  "1",
                       "--output", QString::fromStdString(folder.file("lab.txt")),
                       "--influx", server.writeUrl(),
                       "--name",   "oven1",
                       "--spool",  QString::fromStdString(folder.path().string())} +
           more;
}

std::int64_t nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

struct RoundTrip {
    std::string server;
    QStringList sim;
    std::string model;
    std::string type;
    std::string channel;  // walked through OL, -OL and no value while recording
};

void PrintTo(const RoundTrip& c, std::ostream* out) {
    *out << c.server;
}

class RecordToTsdb : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RecordToTsdb, EveryLineIsOnePointWithItsReadingsTimeAndTags) {
    const RoundTrip& c = GetParam();
    const std::unique_ptr<TsdbServer> server = makeServer(c.server);
    if (!server->installed())
        GTEST_SKIP() << server->name() << " is not installed (scripts/setup.sh installs it)";
    ASSERT_TRUE(server->start()) << server->problem();
    test::SimProcess sim(c.sim);
    ASSERT_FALSE(sim.device().empty());
    test::TempFolder folder;
    const std::string file = folder.file("lab.txt");

    const std::int64_t fromMs = nowMs();
    Recorder record(recordArguments(sim, folder, *server, {"--count", "15"}));
    const std::pair<std::size_t, std::string> walk[] = {{3, "OL"}, {6, "-OL"}, {9, "----"}, {12, "auto"}};
    for (const auto& [after, reading] : walk) {
        ASSERT_TRUE(waitForLines(record, file, after)) << record.journal();
        sim.command(c.channel + " " + reading);
    }
    ASSERT_TRUE(record.finish(test::kPatienceMs + 15000)) << record.journal();
    const std::int64_t toMs = nowMs();
    EXPECT_EQ(record.exitCode(), 0) << record.journal();

    const std::vector<TabLine> lines = tabLines(test::readFile(file));
    ASSERT_EQ(lines.size(), 15u);
    std::set<int> states;
    for (const TabLine& line : lines)
        states.insert(stateOf(line.readings[c.channel == "t1" ? 0 : 1]));
    EXPECT_EQ(states, (std::set<int>{-1, 0, 1, 2})) << "the run did not go through every state";

    const std::vector<StoredPoint> points = pointsOnceThere(*server, lines.size(), test::kPatienceMs);
    expectPointsOfLines(points, lines, {"oven1", c.model, c.type, fromMs, toMs});
    // The states are integers and the readings floats (VictoriaMetrics keeps every number alike).
    if (const auto* influx = dynamic_cast<const test::InfluxServer*>(server.get())) {
        std::map<std::string, std::string> types;
        for (const std::string& channel : c.model == "dual" ? std::vector<std::string>{"t1", "t2", "t1_t2"}
                                                            : std::vector<std::string>{"t1"}) {
            types[channel] = "float";
            types[channel + "_state"] = "integer";
        }
        EXPECT_EQ(influx->fieldTypes("calvex"), types);
    }
    EXPECT_NE(
        record.journal().find("calvex-record: sending to " + server->baseUrl().toStdString() + "/write"),
        std::string::npos)
        << record.journal();
}

INSTANTIATE_TEST_SUITE_P(Servers, RecordToTsdb,
                         ::testing::Values(RoundTrip{"InfluxDB", kDualSim, "dual", "K", "t2"},
                                           RoundTrip{"VictoriaMetrics",
                                                     {"--model", "single", "--unit", "F", "--type", "J",
                                                      "--period", "200"},
                                                     "single",
                                                     "J",
                                                     "t1"}),
                         [](const auto& info) { return info.param.server; });

// The server is away for 30 s while the recorder goes on: once it is back, the points that waited
// in the spool reach it, each once, and the journal tells both changes.
TEST(RecordToTsdbOutage, ThirtySecondsWithoutTheServerLoseNothing) {
    test::InfluxServer server;
    if (!server.installed())
        GTEST_SKIP() << server.name() << " is not installed (scripts/setup.sh installs it)";
    ASSERT_TRUE(server.start()) << server.problem();
    test::SimProcess sim(kDualSim);
    test::TempFolder folder;
    const std::string file = folder.file("lab.txt");

    const std::int64_t fromMs = nowMs();
    Recorder record(recordArguments(sim, folder, server));
    ASSERT_TRUE(waitForLines(record, file, 5)) << record.journal();
    server.stop();
    QElapsedTimer away;
    away.start();
    const std::size_t unreachable = record.waitToSay(
        std::regex(kDated + R"(server unreachable since \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d: .+\n)"), 0,
        test::kPatienceMs);
    ASSERT_NE(unreachable, std::string::npos) << record.journal();
    test::waitUntil([] { return false; }, static_cast<int>(std::max<qint64>(0, 30000 - away.elapsed())));
    ASSERT_TRUE(server.start()) << server.problem();

    // The retry waits at most a minute; a minute and a half leaves room for a loaded machine.
    const std::regex caughtUp(kDated + R"(caught up with (\d+) points?\n)");
    const std::size_t back = record.waitToSay(caughtUp, unreachable, 90000);
    ASSERT_NE(back, std::string::npos) << record.journal();
    std::smatch m;
    const std::string journal = record.journal().substr(back);
    ASSERT_TRUE(std::regex_search(journal, m, caughtUp));
    // About 30 points waited (one a second while the server was away).
    EXPECT_GE(std::stoul(m[1].str()), 25u) << journal;
    ASSERT_TRUE(waitForLines(record, file, lineCount(file) + 2)) << record.journal();
    record.terminate();
    ASSERT_TRUE(record.finish(test::kPatienceMs)) << record.journal();
    const std::int64_t toMs = nowMs();
    EXPECT_EQ(record.exitCode(), 0) << record.journal();

    const std::vector<TabLine> lines = tabLines(test::readFile(file));
    EXPECT_GE(lines.size(), 35u);
    expectPointsOfLines(pointsOnceThere(server, lines.size(), test::kPatienceMs), lines,
                        {"oven1", "dual", "K", fromMs, toMs});
}

// The bytes of points a spool holds: a file of points, or a folder of them ("points.<generation>").
std::uintmax_t pointBytes(const std::filesystem::path& spool) {
    std::error_code error;
    if (!std::filesystem::is_directory(spool))
        return std::filesystem::file_size(spool, error);
    std::uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(spool, error))
        if (entry.path().filename().string().rfind("points", 0) == 0 && entry.is_regular_file())
            bytes += entry.file_size();
    return bytes;
}

struct Crash {
    std::string name;
    bool serverUp;  // false: the server is away when the recorder dies, so points wait in its spool
};

void PrintTo(const Crash& c, std::ostream* out) {
    *out << c.name;
}

class RecordToTsdbCrash : public ::testing::TestWithParam<Crash> {};

// calvex-record killed with SIGKILL and started again with --append on the same file and spool:
// the file numbers on, and every line is one point, none lost or doubled.
TEST_P(RecordToTsdbCrash, AKilledRecorderResumesItsFileAndSpool) {
    test::InfluxServer server;
    if (!server.installed())
        GTEST_SKIP() << server.name() << " is not installed (scripts/setup.sh installs it)";
    ASSERT_TRUE(server.start()) << server.problem();
    test::SimProcess sim(kDualSim);
    test::TempFolder folder;
    const std::string file = folder.file("lab.txt");
    const std::int64_t fromMs = nowMs();
    {
        Recorder record(recordArguments(sim, folder, server));
        ASSERT_TRUE(waitForLines(record, file, 4)) << record.journal();
        if (!GetParam().serverUp)
            server.stop();
        ASSERT_TRUE(waitForLines(record, file, 8)) << record.journal();
        record.killHard();
    }
    const std::filesystem::path spool = folder.file("oven1.spool");
    EXPECT_TRUE(std::filesystem::exists(spool));
    if (!GetParam().serverUp) {
        EXPECT_GT(pointBytes(spool), 0u) << "no point was waiting when the recorder died";
        ASSERT_TRUE(server.start()) << server.problem();
    }
    const std::size_t before = lineCount(file);

    Recorder again(recordArguments(sim, folder, server, {"--append"}));
    ASSERT_TRUE(waitForLines(again, file, before + 5)) << again.journal();
    again.terminate();
    ASSERT_TRUE(again.finish(test::kPatienceMs)) << again.journal();
    const std::int64_t toMs = nowMs();
    EXPECT_EQ(again.exitCode(), 0) << again.journal();

    const std::vector<TabLine> lines = tabLines(test::readFile(file));
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].number, static_cast<int>(i + 1));
    expectPointsOfLines(pointsOnceThere(server, lines.size(), test::kPatienceMs), lines,
                        {"oven1", "dual", "K", fromMs, toMs});
}

INSTANTIATE_TEST_SUITE_P(Servers, RecordToTsdbCrash,
                         ::testing::Values(Crash{"ServerUp", true}, Crash{"ServerAway", false}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace calvex
