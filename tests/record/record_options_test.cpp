#include <gtest/gtest.h>

#include "record/record_options.h"

namespace calvex {
namespace {

struct PortCase {
    std::vector<std::string> arguments;
    int comPort;
    bool autoScan;
    std::map<int, std::string> devices;
};

class RecordOptionsPort : public ::testing::TestWithParam<PortCase> {};

TEST_P(RecordOptionsPort, GivesTheComNumberAndItsDevice) {
    const PortCase& c = GetParam();
    const RecordOptions o = parseRecordOptions(c.arguments);
    ASSERT_EQ(o.error, "");
    EXPECT_EQ(o.comPort(), c.comPort);
    EXPECT_EQ(o.autoScan(), c.autoScan);
    EXPECT_EQ(o.deviceMap(), c.devices);
}

using Devices = std::map<int, std::string>;

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordOptionsPort,
    ::testing::Values(
        PortCase{{}, 1, false, {}}, PortCase{{"--port", "COM3"}, 3, false, {}},
        PortCase{{"--port", "COM8"}, 8, false, {}}, PortCase{{"--port", "Auto"}, 1, true, {}},
        PortCase{{"--port", "/dev/ttyUSB0"}, 1, false, Devices{{1, "/dev/ttyUSB0"}}},
        // --com names the number a device path stands for.
        PortCase{
            {"--port", "/dev/ttyUSB0", "--com", "4=/dev/ttyUSB0"}, 4, false, Devices{{4, "/dev/ttyUSB0"}}},
        PortCase{{"--port", "COM2", "--com", "2=/dev/ttyACM0", "--com", "COM5=/dev/pts/7"},
                 2,
                 false,
                 Devices{{2, "/dev/ttyACM0"}, {5, "/dev/pts/7"}}},
        PortCase{
            {"--port", "Auto", "--com", "1=/dev/a", "--com", "1=/dev/b"}, 1, true, Devices{{1, "/dev/b"}}}));

struct ArgumentsCase {
    std::vector<std::string> arguments;
    bool good;
};

class RecordOptionsArguments : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(RecordOptionsArguments, AreTakenOrRefusedWithAReason) {
    const RecordOptions o = parseRecordOptions(GetParam().arguments);
    EXPECT_EQ(o.error.empty(), GetParam().good) << o.error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordOptionsArguments,
    ::testing::Values(ArgumentsCase{{"--every", "1"}, true}, ArgumentsCase{{"--every", "86400"}, true},
                      ArgumentsCase{{"--every", "0"}, false}, ArgumentsCase{{"--every", "86401"}, false},
                      ArgumentsCase{{"--every", "1.5"}, false}, ArgumentsCase{{"--every", "+2"}, false},
                      ArgumentsCase{{"--every"}, false}, ArgumentsCase{{"--duration", "0.5"}, true},
                      ArgumentsCase{{"--duration", "0"}, false}, ArgumentsCase{{"--duration", "-3"}, false},
                      ArgumentsCase{{"--duration", "inf"}, false}, ArgumentsCase{{"--duration", "x"}, false},
                      ArgumentsCase{{"--count", "1"}, true}, ArgumentsCase{{"--count", "0"}, false},
                      ArgumentsCase{{"--count", "2.0"}, false}, ArgumentsCase{{"--port", "COM9"}, false},
                      ArgumentsCase{{"--port", "COM0"}, false}, ArgumentsCase{{"--port", "COM12"}, false},
                      ArgumentsCase{{"--port", ""}, false}, ArgumentsCase{{"--com", "0=/dev/x"}, false},
                      ArgumentsCase{{"--com", "256=/dev/x"}, false}, ArgumentsCase{{"--com", "1="}, false},
                      ArgumentsCase{{"--com", "/dev/x"}, false}, ArgumentsCase{{"--com", "-1=/dev/x"}, false},
                      ArgumentsCase{{"--output", ""}, false},
                      ArgumentsCase{{"-o", "a.txt", "--append"}, true}, ArgumentsCase{{"--append"}, false},
                      ArgumentsCase{{"--append", "--output", "-"}, false}, ArgumentsCase{{"stray"}, false},
                      ArgumentsCase{{"--colour"}, false}, ArgumentsCase{{"--memory"}, true},
                      ArgumentsCase{{"--memory", "--set", "1", "--start", "08:30:00", "-o", "s.txt"}, true},
                      ArgumentsCase{{"--memory", "--set", "1"}, false},
                      ArgumentsCase{{"--memory", "--set", "0", "--start", "08:30:00"}, false},
                      ArgumentsCase{{"--set", "1", "--start", "08:30:00"}, false},
                      ArgumentsCase{{"--memory", "--start", "08:30:00"}, false},
                      ArgumentsCase{{"--memory", "--every", "2"}, false},
                      ArgumentsCase{{"--memory", "--count", "2"}, false},
                      ArgumentsCase{{"--memory", "--duration", "2"}, false},
                      ArgumentsCase{{"--memory", "--append", "-o", "a.txt"}, false},
                      ArgumentsCase{{"-q", "--capture", "c.txt"}, true}));

TEST(RecordOptions, ParsedFields) {
    const RecordOptions o = parseRecordOptions(
        {"--every", "5", "--duration", "90.5", "--count", "12", "-o", "lab.txt", "--append", "-q"});
    ASSERT_EQ(o.error, "");
    EXPECT_EQ(o.every, 5);
    EXPECT_EQ(o.duration, 90.5);
    EXPECT_EQ(o.count, 12);
    EXPECT_EQ(o.output, "lab.txt");
    EXPECT_TRUE(o.append);
    EXPECT_TRUE(o.quiet);

    const RecordOptions d = parseRecordOptions({});
    EXPECT_EQ(d.every, 2);
    EXPECT_EQ(d.output, "-");
    EXPECT_FALSE(d.duration);
    EXPECT_FALSE(d.count);

    const RecordOptions m = parseRecordOptions({"--memory", "--set", "3", "--start", "23:59:55"});
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(m.set, 3);
    EXPECT_EQ(m.start, "23:59:55");
}

}  // namespace
}  // namespace calvex

namespace calvex {
namespace {

struct SinkCase {
    std::vector<std::string> arguments;
    std::string error;  // empty: taken
    std::uint64_t spoolLimit = 1ULL << 30;
};

class RecordOptionsSinks : public ::testing::TestWithParam<SinkCase> {};

TEST_P(RecordOptionsSinks, AreTakenOrRefusedWithAReason) {
    const RecordOptions o = parseRecordOptions(GetParam().arguments);
    EXPECT_EQ(o.error, GetParam().error);
    if (o.error.empty()) {
        EXPECT_EQ(o.spoolLimit, GetParam().spoolLimit);
    }
}

const std::string kUrl = "http://localhost:8086/write?db=lab";

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordOptionsSinks,
    ::testing::Values(
        SinkCase{{"--format", "csv"}, ""}, SinkCase{{"--format", "line-protocol", "-o", "-"}, ""},
        SinkCase{{"--format", "json"}, "--format takes tsv, csv or line-protocol"},
        SinkCase{{"--influx", kUrl, "--name", "oven 1, left"}, ""},
        SinkCase{{"--influx", "http://h:8086/api/v2/write?org=o&bucket=b&precision=s"}, ""},
        SinkCase{{"--influx", "ftp://h/write"},
                 "--influx takes a write URL such as http://localhost:8086/write?db=lab: "
                 "not an http or https URL"},
        SinkCase{{"--influx", kUrl, "--spool-limit", "512M"}, "", 512ULL << 20},
        SinkCase{{"--influx", kUrl, "--spool-limit", "2GiB"}, "", 2ULL << 30},
        SinkCase{{"--influx", kUrl, "--spool-limit", "1048576"}, "", 1ULL << 20},
        SinkCase{{"--influx", kUrl, "--spool-limit", "1000"},
                 "--spool-limit takes a size from 1M to 1T, such as 1073741824, 512M or 1G"},
        SinkCase{{"--influx", kUrl, "--spool-limit", "2T"},
                 "--spool-limit takes a size from 1M to 1T, such as 1073741824, 512M or 1G"},
        SinkCase{{"--name", "a\\b"}, "--name has a backslash"}, SinkCase{{"--name", ""}, "--name is empty"},
        SinkCase{{"--spool", "/tmp"}, "--influx-token-file, --spool and --spool-limit go with --influx"},
        SinkCase{{"--memory", "--influx", kUrl},
                 "--memory does not record: --influx, --format and --name do not go with it"},
        SinkCase{{"--output", "%Y/lab.txt"},
                 "--output: the fields of a name per day or hour go in the file's name, not its folder"},
        SinkCase{{"--output", "/var/lib/calvex/lab-%Y-%m-%d.txt", "--append"}, ""}));

}  // namespace
}  // namespace calvex
