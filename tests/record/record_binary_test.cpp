#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "e2e/sim_process.h"
#include "support/read_file.h"
#include "support/run_without_display.h"

namespace calvex {
namespace {

using test::readFile;

std::filesystem::path tempFile(const std::string& what) {
    return std::filesystem::temp_directory_path() /
           ("calvex-record-e2e-" + std::to_string(::getpid()) + "-" + what + ".txt");
}

// calvex-record as a user starts it from a shell with no display.
struct RecordProcess {
    explicit RecordProcess(const QStringList& arguments, const QString& standardOutput = {}) {
        process.setProcessEnvironment(test::environmentWithoutDisplay());
        process.setProgram(CALVEX_RECORD);
        process.setArguments(arguments);
        if (!standardOutput.isEmpty())
            process.setStandardOutputFile(standardOutput);
        process.start();
        process.waitForStarted(test::kPatienceMs);
    }
    ~RecordProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
    bool finish(int ms) {
        return test::waitUntil([this] { return process.state() == QProcess::NotRunning; }, ms);
    }
    std::string out() { return process.readAllStandardOutput().toStdString(); }
    std::string err() { return process.readAllStandardError().toStdString(); }
    QProcess process;
};

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(text.substr(from, end - from));
    EXPECT_EQ(from, text.size()) << "the file does not end on a whole line";
    return lines;
}

int seconds(const std::string& stamp) {
    return std::stoi(stamp.substr(0, 2)) * 3600 + std::stoi(stamp.substr(3, 2)) * 60 +
           std::stoi(stamp.substr(6, 2));
}

// Each line numbered from 1 with the sim's reading, the stamps `every` seconds apart.
void expectRecording(const std::vector<std::string>& lines, int every) {
    const std::regex format(R"((\d+)\t(\d\d:\d\d:\d\d)\t25\.1\t24\.9\t0\.2\tC)");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, format)) << lines[i];
        EXPECT_EQ(m[1].str(), std::to_string(i + 1));
        if (i > 0) {
            const std::size_t tab = lines[i - 1].find('\t');
            const int gap = (seconds(m[2].str()) - seconds(lines[i - 1].substr(tab + 1, 8)) + 86400) % 86400;
            EXPECT_EQ(gap, every) << lines[i];
        }
    }
}

const QStringList kSteadySim{"--model", "dual", "--unit", "C",        "--t1",
                             "25.1",    "--t2", "24.9",   "--period", "200"};

TEST(RecordBinary, NineSecondsEveryTwoSecondsWritesTheSimsReading) {
    test::SimProcess sim(kSteadySim);
    ASSERT_FALSE(sim.device().empty());
    const std::filesystem::path file = tempFile("duration");
    RecordProcess record({"--port", QString::fromStdString(sim.device()), "--every", "2", "--duration", "9",
                          "--output", QString::fromStdString(file.string())});
    ASSERT_TRUE(record.finish(9000 + test::kPatienceMs));
    EXPECT_EQ(record.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(record.process.exitCode(), 0);
    const std::vector<std::string> lines = splitLines(readFile(file));
    std::filesystem::remove(file);
    // Samples fall on every second second of the wall clock; the file starts with the second
    // frame, which a loaded machine may deliver late.
    EXPECT_GE(lines.size(), 3u);
    EXPECT_LE(lines.size(), 5u);
    expectRecording(lines, 2);
    const std::string summary = record.err();
    EXPECT_EQ(summary.rfind(
                  "calvex-record: " + std::to_string(lines.size()) + " lines written to " + file.string(), 0),
              0u)
        << summary;
    EXPECT_NE(summary.find("  T1: maximum 25.1 at "), std::string::npos) << summary;
    EXPECT_NE(summary.find(", average 0.2 C\n"), std::string::npos) << summary;
    EXPECT_EQ(record.out(), "");
}

// An instrument that sends every 5 s is slow, not silent: from its first line on the file holds
// its reading on every line, also in the first interval, before which its pace was not known.
TEST(RecordBinary, AFiveSecondInstrumentRecordsNoLineWithoutAReading) {
    test::SimProcess sim(QStringList{"--model", "single", "--unit", "C", "--t1", "25.1", "--period", "5000"});
    RecordProcess record(
        {"--port", QString::fromStdString(sim.device()), "--every", "1", "--count", "8", "--output", "-"});
    ASSERT_TRUE(record.finish(test::kPatienceMs + 20000));
    EXPECT_EQ(record.process.exitCode(), 0) << record.err();
    const std::vector<std::string> lines = splitLines(record.out());
    ASSERT_EQ(lines.size(), 8u) << record.err();
    for (const std::string& line : lines)
        EXPECT_NE(line.find("\t25.1\tC"), std::string::npos) << line;
    EXPECT_NE(record.err().find("  no reading: 0 lines (0 s)\n"), std::string::npos) << record.err();
}

// CSV on standard output: a header, then each sample's local date and time, one second apart and
// within the run, in the form a spreadsheet reads into a date cell.
TEST(RecordBinary, CsvGivesEachSampleItsDateAndTime) {
    test::SimProcess sim(kSteadySim);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    RecordProcess record({"--port", QString::fromStdString(sim.device()), "--every", "1", "--count", "3",
                          "--format", "csv", "--output", "-"});
    ASSERT_TRUE(record.finish(test::kPatienceMs + 10000));
    const QDateTime after = QDateTime::currentDateTime();
    EXPECT_EQ(record.process.exitCode(), 0) << record.err();
    const std::vector<std::string> lines = splitLines(record.out());
    ASSERT_EQ(lines.size(), 4u) << record.out();
    EXPECT_EQ(lines[0], "time,t1,t2,t1_t2,unit");
    QDateTime previous;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t comma = lines[i].find(',');
        const std::string time = lines[i].substr(0, comma);
        EXPECT_EQ(lines[i].substr(comma), ",25.1,24.9,0.2,C");
        const QDateTime at = QDateTime::fromString(QString::fromStdString(time), "yyyy-MM-dd HH:mm:ss");
        ASSERT_TRUE(at.isValid()) << time;
        EXPECT_TRUE(before <= at && at <= after) << time;
        if (previous.isValid()) {
            EXPECT_EQ(previous.secsTo(at), 1) << time;
        }
        previous = at;
    }
}

TEST(RecordBinary, SigTermLeavesWholeLinesAndExitsZero) {
    test::SimProcess sim(kSteadySim);
    const std::filesystem::path file = tempFile("sigterm");
    RecordProcess record({"--port", QString::fromStdString(sim.device()), "--every", "1", "--output",
                          QString::fromStdString(file.string())});
    ASSERT_TRUE(test::waitUntil([&] { return splitLines(readFile(file)).size() >= 2; }, test::kPatienceMs));
    record.process.terminate();
    ASSERT_TRUE(record.finish(test::kPatienceMs));
    EXPECT_EQ(record.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(record.process.exitCode(), 0);
    const std::vector<std::string> lines = splitLines(readFile(file));
    std::filesystem::remove(file);
    EXPECT_GE(lines.size(), 2u);
    expectRecording(lines, 1);
    EXPECT_NE(record.err().find(std::to_string(lines.size()) + " lines written"), std::string::npos);
}

// A full disk under standard output: the line that did not go out whole is not counted, and the
// summary says that what went out ends in a torn line.
TEST(RecordBinary, FullStandardOutputSaysTheLastLineIsIncomplete) {
    test::SimProcess sim(kSteadySim);
    RecordProcess record({"--port", QString::fromStdString(sim.device()), "--every", "1", "--output", "-"},
                         "/dev/full");
    ASSERT_TRUE(record.finish(test::kPatienceMs));
    EXPECT_EQ(record.process.exitCode(), 1);
    const std::string err = record.err();
    EXPECT_NE(err.find("calvex-record: no line written to standard output\n"
                       "calvex-record: the last line to standard output is incomplete\n"),
              std::string::npos)
        << err;
}

// A FIFO with no reader blocks the opening of the output; SIGTERM still ends the run at once.
TEST(RecordBinary, SigTermEndsARunWhoseOutputBlocks) {
    test::SimProcess sim(kSteadySim);
    const std::filesystem::path fifo = tempFile("fifo");
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    RecordProcess record({"--port", QString::fromStdString(sim.device()), "--every", "1", "--output",
                          QString::fromStdString(fifo.string())});
    // Waits until the program is in the system call that opens the FIFO (openat).
    const std::string syscall = "/proc/" + std::to_string(record.process.processId()) + "/syscall";
    ASSERT_TRUE(test::waitUntil([&] { return readFile(syscall).rfind("257 ", 0) == 0; }, test::kPatienceMs));
    record.process.terminate();
    ASSERT_TRUE(record.finish(test::kPatienceMs));
    std::filesystem::remove(fifo);
    EXPECT_EQ(record.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(record.process.exitCode(), 0);
    EXPECT_NE(record.err().find("calvex-record: no line written to " + fifo.string() + "\n"),
              std::string::npos)
        << record.err();
}

// A service restarted after a model change finds the other model's lines in its file.
TEST(RecordBinary, AppendOntoTheOtherModelsFileExitsThreeAndLeavesItAlone) {
    test::SimProcess sim(kSteadySim);
    const std::filesystem::path file = tempFile("other-model");
    const std::string single = "1\t10:00:00\t70.1\tF\r\n2\t10:00:02\t70.2\tF\r\n";
    std::ofstream(file, std::ios::binary) << single;
    RecordProcess record({"--port", QString::fromStdString(sim.device()), "--every", "1", "--append",
                          "--output", QString::fromStdString(file.string())});
    ASSERT_TRUE(record.finish(test::kPatienceMs));
    EXPECT_EQ(record.process.exitCode(), 3);
    EXPECT_EQ(readFile(file), single);
    std::filesystem::remove(file);
    EXPECT_NE(
        record.err().find("calvex-record: The file holds data of the other instrument model and has not "
                          "been changed: " +
                          file.string() +
                          ": Recording has not started. (It holds single-input data and "
                          "the instrument is dual-input.)\n"),
        std::string::npos)
        << record.err();
}

// Without a terminal (as under systemd) each change of state is a dated line on standard error
// while the run goes on: the instrument going quiet and coming back, the adapter pulled and put
// back.
TEST(RecordBinary, WithoutATerminalEachChangeOfStateIsADatedLine) {
    const std::filesystem::path link = tempFile("journal-link");
    QStringList simArguments = kSteadySim;
    simArguments << "--link" << QString::fromStdString(link.string());
    test::SimProcess sim(simArguments);
    const std::filesystem::path file = tempFile("journal");
    RecordProcess record({"--port", QString::fromStdString(link.string()), "--every", "1", "--output",
                          QString::fromStdString(file.string())});
    std::string err;
    const auto said = [&](const std::string& text, std::size_t from = 0) {
        return test::waitUntil(
            [&] {
                err += record.err();
                return err.find(text, from) != std::string::npos;
            },
            test::kPatienceMs * 2);
    };
    ASSERT_TRUE(test::waitUntil([&] { return !splitLines(readFile(file)).empty(); }, test::kPatienceMs));
    sim.command("silence 60");
    ASSERT_TRUE(said(" calvex-record: reading unknown since ")) << err;
    sim.command("silence 0");
    ASSERT_TRUE(said(" calvex-record: reading back\n")) << err;
    sim.command("unplug");
    ASSERT_TRUE(said(" calvex-record: port lost: the device went away (")) << err;
    sim.command("replug");
    ASSERT_TRUE(said(" calvex-record: port reopened\n")) << err;
    // The reading, lost with the port, comes back with it (within the second of the reopening, both
    // on one line).
    ASSERT_TRUE(said(" calvex-record: reading ", err.rfind("port reopened"))) << err;
    record.process.terminate();
    ASSERT_TRUE(record.finish(test::kPatienceMs));
    err += record.err();
    EXPECT_EQ(record.process.exitCode(), 0) << err;
    std::filesystem::remove(file);
    // Every line before the summary starts with the local date and time.
    const std::regex dated(
        R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d calvex-record: (reading unknown since )"
        R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d|reading back|reading unknown and back \d+ times?|)"
        R"(port lost: .+|port reopened)( \(.*\))?)");
    const std::string journal = err.substr(0, err.find("\ncalvex-record: ") + 1);
    std::istringstream in(journal);
    int count = 0;
    for (std::string line; std::getline(in, line); ++count)
        EXPECT_TRUE(std::regex_match(line, dated)) << line;
    EXPECT_GE(count, 4);
    std::smatch m;
    const std::regex noReading(R"(\n  no reading: (\d+) lines? \((\d+) s\)\n)");
    ASSERT_TRUE(std::regex_search(err, m, noReading)) << err;
    EXPECT_GE(std::stoi(m[1].str()), 1) << err;
}

// One instrument, one reader: a second recorder is refused, by the device's own path or through a
// link to it, with the holder named, and the first one's file holds only the instrument's readings.
TEST(RecordBinary, ASecondRecorderOfOneInstrumentIsRefusedWithTheHolder) {
    const std::string link = tempFile("link").string();
    test::SimProcess sim(QStringList(kSteadySim) << "--link" << QString::fromStdString(link));
    ASSERT_FALSE(sim.device().empty());
    struct Case {
        std::string first;
        std::string second;
    };
    const Case cases[] = {{sim.device(), sim.device()}, {link, sim.device()}, {sim.device(), link}};
    for (const Case& c : cases) {
        const std::filesystem::path file = tempFile("held");
        RecordProcess first({"--port", QString::fromStdString(c.first), "--every", "1", "--output",
                             QString::fromStdString(file.string())});
        ASSERT_TRUE(test::waitUntil([&] { return !readFile(file).empty(); }, test::kPatienceMs)) << c.first;

        RecordProcess second({"--port", QString::fromStdString(c.second), "--every", "1", "--count", "1"});
        ASSERT_TRUE(second.finish(test::kPatienceMs)) << c.second;
        EXPECT_EQ(second.process.exitCode(), 1) << c.second;
        EXPECT_EQ(second.err(), "calvex-record: No device found: COM1 (" + c.second +
                                    "): Device busy: in use by calvex-record (process " +
                                    std::to_string(first.process.processId()) + ")\n")
            << c.second;
        EXPECT_EQ(second.out(), "");

        ASSERT_TRUE(
            test::waitUntil([&] { return splitLines(readFile(file)).size() >= 3; }, test::kPatienceMs));
        first.process.terminate();
        ASSERT_TRUE(first.finish(test::kPatienceMs));
        expectRecording(splitLines(readFile(file)), 1);
        std::filesystem::remove(file);

        // Once the holder is gone, the device is free for the next one.
        RecordProcess next({"--port", QString::fromStdString(c.second), "--every", "1", "--count", "1"});
        ASSERT_TRUE(next.finish(test::kPatienceMs));
        EXPECT_EQ(next.process.exitCode(), 0) << next.err();
        EXPECT_NE(next.out().find("\t25.1\t24.9\t0.2\tC\r\n"), std::string::npos) << c.second;
    }
}

const QStringList kMemorySim{"--set", "10 dual C K: 25.1 24.9, 25.3 ----, OL -OL", "--set",
                             "60 single F J: 70.1, 70.2"};

// A session captured by calvex-record and played back by calvex-sim --replay gives calvex-record
// the same reading.
TEST(RecordBinary, AReplayedCaptureRecordsTheSameReading) {
    const std::filesystem::path capture = tempFile("capture");
    {
        test::SimProcess sim(kSteadySim);
        RecordProcess record({"--port", QString::fromStdString(sim.device()), "--every", "1", "--count", "3",
                              "--capture", QString::fromStdString(capture.string())});
        ASSERT_TRUE(record.finish(test::kPatienceMs));
        EXPECT_EQ(record.process.exitCode(), 0) << record.err();
    }
    test::SimProcess replay({"--replay", QString::fromStdString(capture.string())});
    ASSERT_FALSE(replay.device().empty());
    RecordProcess record({"--port", QString::fromStdString(replay.device()), "--every", "1", "--count", "1"});
    ASSERT_TRUE(record.finish(test::kPatienceMs));
    EXPECT_EQ(record.process.exitCode(), 0) << record.err();
    const std::string out = record.out();
    std::filesystem::remove(capture);
    EXPECT_NE(out.find("\t25.1\t24.9\t0.2\tC\r\n"), std::string::npos) << out;
}

// A memory download captured by calvex-record --memory and played back gives the same sets.
TEST(RecordBinary, AReplayedMemoryDownloadListsTheSameSets) {
    const std::filesystem::path capture = tempFile("memory-capture");
    std::string listed;
    {
        test::SimProcess sim(kMemorySim);
        RecordProcess record({"--memory", "--port", QString::fromStdString(sim.device()), "--capture",
                              QString::fromStdString(capture.string())});
        ASSERT_TRUE(record.finish(test::kPatienceMs * 2));
        EXPECT_EQ(record.process.exitCode(), 0) << record.err();
        listed = record.out();
    }
    test::SimProcess replay({"--replay", QString::fromStdString(capture.string())});
    RecordProcess record({"--memory", "--port", QString::fromStdString(replay.device())});
    ASSERT_TRUE(record.finish(test::kPatienceMs * 2));
    EXPECT_EQ(record.process.exitCode(), 0) << record.err();
    EXPECT_EQ(record.out(), listed);
    EXPECT_NE(listed.find("1\t10\t3\n2\t60\t2\n"), std::string::npos) << listed;
    std::filesystem::remove(capture);
}

TEST(RecordBinary, MemoryListsTheSets) {
    test::SimProcess sim(kMemorySim);
    RecordProcess record({"--memory", "--port", QString::fromStdString(sim.device())});
    ASSERT_TRUE(record.finish(test::kPatienceMs * 2));
    EXPECT_EQ(record.process.exitCode(), 0) << record.err();
    const std::string out = record.out();
    const std::string head = "Set\tSampling\tRecords\n1\t10\t3\n2\t60\t2\nRemained\t";
    EXPECT_EQ(out.substr(0, head.size()), head) << out;
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4) << out;
}

TEST(RecordBinary, MemorySetIsWrittenAsTheDataListSavesIt) {
    test::SimProcess sim(kMemorySim);
    const std::filesystem::path file = tempFile("set");
    RecordProcess record({"--memory", "--port", QString::fromStdString(sim.device()), "--set", "1", "--start",
                          "23:59:55", "--output", QString::fromStdString(file.string())});
    ASSERT_TRUE(record.finish(test::kPatienceMs * 2));
    EXPECT_EQ(record.process.exitCode(), 0) << record.err();
    EXPECT_EQ(readFile(file),
              "1\t23:59:55\t25.1\t24.9\t0.2\tC\t\r\n"
              "2\t00:00:05\t25.3\t----\t----\tC\t\r\n"
              "3\t00:00:15\tOL\t-OL\tOL\tC\t\r\n");
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace calvex
