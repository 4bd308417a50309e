#include <gtest/gtest.h>

#include "app/command_line.h"

namespace calvex {
namespace {

QStringList withProgram(const QStringList& arguments) {
    return QStringList{QStringLiteral("calvex")} + arguments;
}

TEST(CommandLine, ComMappingsReachThePortTable) {
    struct Case {
        QStringList arguments;
        std::map<int, std::string> devices;
    };
    const Case cases[] = {
        {{}, {}},
        {{"--com", "1=/dev/ttyUSB0"}, {{1, "/dev/ttyUSB0"}}},
        {{"--com=3=/dev/pts/4"}, {{3, "/dev/pts/4"}}},
        {{"--com", "COM2=/dev/ttyACM0"}, {{2, "/dev/ttyACM0"}}},
        {{"--com", "8=/dev/x"}, {{8, "/dev/x"}}},
        {{"--com", "1=/a", "--com", "2=/c", "--com", "1=/b"}, {{1, "/b"}, {2, "/c"}}},
        // Qt's own options stay for QApplication and do not swallow ours.
        {{"-platform", "offscreen", "--com", "1=/a"}, {{1, "/a"}}},
        {{"-style", "fusion", "-reverse", "--platform", "xcb"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine line = parseCommandLine(withProgram(c.arguments));
        EXPECT_FALSE(line.finished);
        EXPECT_EQ(line.errors, "");
        EXPECT_EQ(line.devices, c.devices);
    }
}

TEST(CommandLine, FilesAfterTheOptionsAreDataFilesToOpen) {
    struct Case {
        QStringList arguments;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {{"data.txt"}, {"data.txt"}},
        {{"/tmp/a b.txt", "--com", "1=/dev/x", "rel/c.txt"}, {"/tmp/a b.txt", "rel/c.txt"}},
        {{"-platform", "offscreen", "week.txt"}, {"week.txt"}},
        // After "--" a name that starts with a dash is a file too.
        {{"--", "-odd.txt"}, {"-odd.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine line = parseCommandLine(withProgram(c.arguments));
        EXPECT_FALSE(line.finished) << line.errors;
        EXPECT_EQ(line.files, c.files);
    }
    const std::string help = parseCommandLine(withProgram({"--help"})).output;
    EXPECT_EQ(help.rfind("Usage: calvex [options] [FILE...]", 0), 0u) << help;
}

TEST(CommandLine, UnusableArgumentsEndWithStatusTwoAndSayWhy) {
    struct Case {
        QStringList arguments;
        std::string inMessage;
    };
    const Case cases[] = {
        {{"--bogus"}, "'bogus'"},
        {{"-x"}, "'x'"},
        {{"--com"}, "'--com'"},
        {{"--com", "1"}, "not '1'"},
        {{"--com", "1="}, "not '1='"},
        {{"--com", "=/dev/x"}, "not '=/dev/x'"},
        {{"--com", "0=/dev/x"}, "not '0=/dev/x'"},
        {{"--com", "256=/dev/x"}, "not '256=/dev/x'"},
        {{"--com", "9=/dev/x"}, "--com takes N from 1 to 8, the ports the COM Port window offers, not 9"},
        {{"--com", "1=/a", "--com", "255=/dev/x"},
         "--com takes N from 1 to 8, the ports the COM Port window offers, not 255"},
        {{"--com", "COM=/dev/x"}, "not 'COM=/dev/x'"},
        {{"--com", "1a=/dev/x"}, "not '1a=/dev/x'"},
        {{"--com", "1=/a", "--com", "x"}, "not 'x'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine line = parseCommandLine(withProgram(c.arguments));
        EXPECT_TRUE(line.finished);
        EXPECT_EQ(line.exitCode, 2);
        EXPECT_EQ(line.output, "");
        EXPECT_NE(line.errors.find(c.inMessage), std::string::npos) << line.errors;
        EXPECT_EQ(line.errors.rfind("calvex: ", 0), 0u) << line.errors;
    }
}

}  // namespace
}  // namespace calvex
