#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "record/run_rig.h"

namespace calvex {
namespace {

using namespace test;

// The points a run hands to its sink.
struct CollectingSink : PointSink {
    void point(const SamplePoint& p) override { points.push_back(p); }
    std::vector<SamplePoint> points;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
        out.push_back(text.substr(from, end - from));
    return out;
}

std::string stampOf(const LocalDateTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return text;
}

// Sampling follows the wall clock's seconds: after ten minutes the last line's stamp is still the
// clock's time when it was written, and every line is one sampling time after the one before.
TEST(RecordRunOnTheWallClock, EachLineCarriesTheSecondItWasSampledAt) {
    for (const int every : {1, 2, 7}) {
        RunRig rig({"--every", std::to_string(every)});
        rig.begin();
        CollectingSink sink;
        rig.run->setSink(&sink);
        rig.advance(600 * 1000 + 1500);
        const std::vector<std::string> written = lines(readFile(rig.path));
        ASSERT_GE(written.size(), static_cast<std::size_t>(600 / every)) << every;
        ASSERT_EQ(sink.points.size(), written.size());
        LocalDateTime now = rig.t.clock.now();
        const std::int64_t lag = epochSeconds(now) - epochSeconds(sink.points.back().at);
        EXPECT_TRUE(lag >= 0 && lag <= every) << every << ": the last line is " << lag << " s behind";
        for (std::size_t i = 0; i < written.size(); ++i) {
            const std::string stamp = written[i].substr(written[i].find('\t') + 1, 8);
            EXPECT_EQ(stampOf(sink.points[i].at), stamp) << every << " line " << i + 1;
            EXPECT_EQ(sink.points[i].readings, (std::vector<std::string>{"25.1", "----", "----"}));
            EXPECT_EQ(sink.points[i].unit, "C");
            EXPECT_EQ(sink.points[i].type, "K");
            if (i > 0) {
                EXPECT_EQ(epochSeconds(sink.points[i].at) - epochSeconds(sink.points[i - 1].at), every);
            }
        }
    }
}

struct FormatCase {
    std::vector<std::string> arguments;
    std::string expected;  // the file after three lines; {T} is the first line's epoch seconds
};

class RecordRunFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(RecordRunFormats, WriteTheirOwnLines) {
    RunRig rig(GetParam().arguments);
    rig.begin();
    rig.advanceLines(3);
    EXPECT_EQ(readFile(rig.path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordRunFormats,
    ::testing::Values(
        FormatCase{{"--every", "1", "--format", "csv"},
                   "time,t1,t2,t1_t2,unit\r\n"
                   "2026-12-08 14:05:31,25.1,,,C\r\n"
                   "2026-12-08 14:05:32,25.1,,,C\r\n"
                   "2026-12-08 14:05:33,25.1,,,C\r\n"},
        FormatCase{
            {"--every", "2", "--format", "line-protocol", "--name", "oven 1,a=b"},
            "calvex,instrument=oven\\ 1\\,a\\=b,model=dual,type=K,unit=C t1=25.1,t1_state=0i,t2_state=2i,"
            "t1_t2_state=2i 1796738732\n"
            "calvex,instrument=oven\\ 1\\,a\\=b,model=dual,type=K,unit=C t1=25.1,t1_state=0i,t2_state=2i,"
            "t1_t2_state=2i 1796738734\n"
            "calvex,instrument=oven\\ 1\\,a\\=b,model=dual,type=K,unit=C t1=25.1,t1_state=0i,t2_state=2i,"
            "t1_t2_state=2i 1796738736\n"},
        FormatCase{{"--every", "1", "--format", "tsv"},
                   "1\t14:05:31\t25.1\t----\t----\tC\r\n"
                   "2\t14:05:32\t25.1\t----\t----\tC\r\n"
                   "3\t14:05:33\t25.1\t----\t----\tC\r\n"}));

struct AppendCase {
    std::string name;
    std::string format;
    std::string before;
    std::string after;  // the file after two more lines; empty: left unchanged
    int status;         // the run's exit status
};

class RecordRunContinues : public ::testing::TestWithParam<AppendCase> {};

TEST_P(RecordRunContinues, AFileOfItsFormatAndRefusesAnyOther) {
    const AppendCase& c = GetParam();
    RunRig rig({"--append", "--count", "2", "--every", "1", "--format", c.format});
    writeFile(rig.path, c.before);
    rig.begin();
    rig.advanceLines(2);
    rig.advance(2000);
    EXPECT_TRUE(rig.run->finished());
    EXPECT_EQ(rig.run->exitStatus(), c.status);
    EXPECT_EQ(readFile(rig.path), c.after.empty() ? c.before : c.after);
}

const std::string kCsvHead = "time,t1,t2,t1_t2,unit\r\n";
const std::string kCsvLine = "2026-12-08 09:00:00,20.0,OL,,C\r\n";
const std::string kCsvNew =
    "2026-12-08 14:05:31,25.1,,,C\r\n"
    "2026-12-08 14:05:32,25.1,,,C\r\n";
const std::string kLp = "calvex,instrument=x,model=dual,type=K,unit=C t1=1.0,t1_state=0i 1796720400\n";
const std::string kLpNew =
    "calvex,instrument=ttyS0,model=dual,type=K,unit=C t1=25.1,t1_state=0i,t2_state=2i,t1_t2_state=2i "
    "1796738731\n"
    "calvex,instrument=ttyS0,model=dual,type=K,unit=C t1=25.1,t1_state=0i,t2_state=2i,t1_t2_state=2i "
    "1796738732\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordRunContinues,
    ::testing::Values(
        AppendCase{"csvWhole", "csv", kCsvHead + kCsvLine, kCsvHead + kCsvLine + kCsvNew, 0},
        AppendCase{"csvEmpty", "csv", "", kCsvHead + kCsvNew, 0},
        AppendCase{"csvTornLine", "csv", kCsvHead + kCsvLine + "2026-12-08 09:0",
                   kCsvHead + kCsvLine + kCsvNew, 0},
        AppendCase{"csvTornHeader", "csv", "time,t1,t", kCsvHead + kCsvNew, 0},
        AppendCase{"csvLineWithoutItsLf", "csv", kCsvHead + "2026-12-08 09:00:00,20.0,OL,,C\r",
                   kCsvHead + kCsvLine + kCsvNew, 0},
        AppendCase{"csvForeign", "csv", "a,b,c\r\n1,2,3\r\n", "", 1},
        AppendCase{"csvForeignTail", "csv", kCsvHead + "notes: oven 3", "", 1},
        AppendCase{"csvOtherModel", "csv", "time,t1,unit\r\n", "", 3},
        AppendCase{"lpWhole", "line-protocol", kLp, kLp + kLpNew, 0},
        AppendCase{"lpTorn", "line-protocol", kLp + "calvex,instr", kLp + kLpNew, 0},
        AppendCase{"lpWithoutItsLineEnd", "line-protocol", kLp.substr(0, kLp.size() - 1), kLp + kLpNew, 0},
        AppendCase{"lpForeign", "line-protocol", "cpu,host=a usage=1 1\n", "", 1},
        AppendCase{"lpOtherModel", "line-protocol",
                   "calvex,instrument=x,model=single,type=K,unit=C t1=1.0,t1_state=0i 1796720400\n", "", 3}),
    [](const auto& info) { return info.param.name; });

// A file a day: the line after midnight starts the next day's file, numbered from 1, and both are
// whole data files.
TEST(RecordRunByDay, StartsANewFileWhenTheDateChanges) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "calvex-record-by-day";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    RunRig rig({"--every", "1", "--output", (folder / "lab-%Y-%m-%d.txt").string()});
    rig.t.clock.setTimeOfDay(23, 59, 57);
    rig.begin();
    rig.advanceLines(4);
    EXPECT_EQ(readFile(folder / "lab-2026-12-08.txt"),
              "1\t23:59:58\t25.1\t----\t----\tC\r\n"
              "2\t23:59:59\t25.1\t----\t----\tC\r\n");
    EXPECT_EQ(readFile(folder / "lab-2026-12-09.txt"),
              "1\t00:00:00\t25.1\t----\t----\tC\r\n"
              "2\t00:00:01\t25.1\t----\t----\tC\r\n");
    std::filesystem::remove_all(folder);
}

// Restarted the same day with --append, the day's file goes on; a file of another day is left.
TEST(RecordRunByDay, AppendContinuesTodaysFile) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "calvex-record-by-day-append";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string yesterday = "1\t23:00:00\t20.0\t----\t----\tC\r\n";
    writeFile(folder / "lab-2026-12-07.txt", yesterday);
    writeFile(folder / "lab-2026-12-08.txt", "1\t09:00:00\t20.0\t----\t----\tC\r\n");
    RunRig rig({"--every", "1", "--append", "--output", (folder / "lab-%Y-%m-%d.txt").string()});
    rig.begin();
    rig.advanceLines(1);
    EXPECT_EQ(readFile(folder / "lab-2026-12-08.txt"),
              "1\t09:00:00\t20.0\t----\t----\tC\r\n"
              "2\t14:05:31\t25.1\t----\t----\tC\r\n");
    EXPECT_EQ(readFile(folder / "lab-2026-12-07.txt"), yesterday);
    std::filesystem::remove_all(folder);
}

TEST(RecordFileNames, TakeTheSamplesDateAndTime) {
    const LocalDateTime at{2026, 3, 9, 7, 5, 3, 0, 3600};
    const std::pair<std::string, std::string> cases[] = {
        {"lab-%Y-%m-%d.txt", "lab-2026-03-09.txt"},
        {"/var/lib/calvex/oven-%F-%H.csv", "/var/lib/calvex/oven-2026-03-09-07.csv"},
        {"week-%G-W%V-%a.txt", "week-2026-W11-Mon.txt"},
        {"100%%.txt", "100%.txt"},
        {"%z.txt", "+0100.txt"},
    };
    for (const auto& [pattern, name] : cases)
        EXPECT_EQ(expandFileName(pattern, at), name) << pattern;
}

}  // namespace
}  // namespace calvex

namespace calvex {
namespace {

using namespace test;

// A clock set back is told in the journal: the database keeps only the later point of a second.
TEST(RecordRunOnTheWallClock, AClockSetBackIsTold) {
    RunRig rig({"--every", "1"});
    std::FILE* journal = std::tmpfile();
    ASSERT_NE(journal, nullptr);
    rig.run = std::make_unique<RecordRun>(rig.t.session, rig.options, nullptr, journal);
    ASSERT_TRUE(rig.run->start());
    CollectingSink sink;
    rig.run->setSink(&sink);
    rig.advanceLines(3);
    rig.t.clock.setTimeOfDay(14, 5, 30);
    rig.advanceLines(1);
    std::rewind(journal);
    char text[512] = {};
    const std::size_t got = std::fread(text, 1, sizeof text - 1, journal);
    std::fclose(journal);
    EXPECT_NE(std::string(text, got).find(
                  " calvex-record: the system clock went back to 2026-12-08T14:05:30, a time "
                  "already recorded: the lines repeat it, and their points replace those of "
                  "the same second in the database\n"),
              std::string::npos)
        << std::string(text, got);
}

}  // namespace
}  // namespace calvex
