#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_error.h"

namespace calvex::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

Options parse(std::vector<std::string_view> arguments) {
    return Options::parse(arguments);
}

std::string error_of(std::vector<std::string_view> arguments) {
    try {
        Options::parse(arguments);
    } catch (const SimError& error) {
        return error.what();
    }
    return "(accepted)";
}

TEST(Options, Defaults) {
    const Options options = parse({});
    EXPECT_EQ(options.instrument.model, Model::Dual);
    EXPECT_EQ(options.instrument.unit, Unit::Celsius);
    EXPECT_EQ(options.instrument.type, ThermocoupleType::K);
    EXPECT_EQ(options.instrument.period, milliseconds(1000));
    EXPECT_FALSE(options.instrument.t1.has_value());
    EXPECT_FALSE(options.instrument.t2.has_value());
    EXPECT_FALSE(options.instrument.noise);
    EXPECT_FALSE(options.instrument.partial);
    EXPECT_FALSE(options.instrument.memory_mute);
    EXPECT_FALSE(options.instrument.memory_cut.has_value());
    EXPECT_FALSE(options.link.has_value());
    EXPECT_FALSE(options.unplug_after.has_value());
    EXPECT_FALSE(options.silence_after.has_value());
    EXPECT_TRUE(options.sets.empty());
    EXPECT_FALSE(options.help);
}

TEST(Options, EveryOption) {
    const Options options = parse({"--model",
                                   "single",
                                   "--unit=F",
                                   "--type",
                                   "T",
                                   "--period",
                                   "200",
                                   "--t1",
                                   "-OL",
                                   "--t2=-12.5",
                                   "--seed",
                                   "42",
                                   "--noise",
                                   "--partial",
                                   "--silence-after",
                                   "5",
                                   "--silence-for",
                                   "2.5",
                                   "--unplug-after",
                                   "10",
                                   "--replug-after",
                                   "3",
                                   "--link",
                                   "/tmp/calvex-port",
                                   "--memory",
                                   "log.txt",
                                   "--set",
                                   "10 dual C K: 1 2",
                                   "--set=20 single F J: 3",
                                   "--pointer",
                                   "0x9000",
                                   "--mute-memory",
                                   "--memory-cut",
                                   "1000"});
    EXPECT_EQ(options.instrument.model, Model::Single);
    EXPECT_EQ(options.instrument.unit, Unit::Fahrenheit);
    EXPECT_EQ(options.instrument.type, ThermocoupleType::T);
    EXPECT_EQ(options.instrument.period, milliseconds(200));
    EXPECT_EQ(options.instrument.t1, Reading::negative_overload());
    EXPECT_EQ(options.instrument.t2, Reading::value(-125));
    EXPECT_EQ(options.instrument.seed, 42u);
    EXPECT_TRUE(options.instrument.noise);
    EXPECT_TRUE(options.instrument.partial);
    EXPECT_EQ(options.silence_after, seconds(5));
    EXPECT_EQ(options.silence_for, milliseconds(2500));
    EXPECT_EQ(options.unplug_after, seconds(10));
    EXPECT_EQ(options.replug_after, seconds(3));
    EXPECT_EQ(options.link, "/tmp/calvex-port");
    EXPECT_EQ(options.memory_file, "log.txt");
    ASSERT_EQ(options.sets.size(), 2u);
    EXPECT_EQ(options.sets[1].sampling_seconds, 20);
    EXPECT_EQ(options.pointer, 0x9000);
    EXPECT_TRUE(options.instrument.memory_mute);
    EXPECT_EQ(options.instrument.memory_cut, 1000u);
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"--version"}).version);
    EXPECT_TRUE(parse({"-v"}).version);
    EXPECT_EQ(parse({"--pointer", "ffff"}).pointer, 0xFFFF);
    const Options replay = parse({"--link", "/tmp/port", "--replay=session.txt"});
    EXPECT_EQ(replay.replay, "session.txt");
    EXPECT_EQ(replay.link, "/tmp/port");
}

TEST(Options, Errors) {
    const std::vector<std::pair<std::vector<std::string_view>, std::string>> cases = {
        {{"--bogus"}, "--bogus: unknown option (see --help)"},
        {{"--model"}, "--model: option --model needs a value"},
        {{"--unit", "X"}, "--unit: bad unit 'X' (use C, F or K)"},
        {{"--period", "0"}, "--period: bad period '0' (milliseconds, 10..60000)"},
        {{"--t1", "hot"}, "--t1: bad reading 'hot' (use a number such as 25.1, or OL, -OL, ----)"},
        {{"--seed", "-1"}, "--seed: bad seed '-1' (0..4294967295)"},
        {{"--noise=yes"}, "--noise: option --noise takes no value"},
        {{"--pointer", "8C7F"}, "--pointer: bad pointer '8C7F' (hexadecimal, 8C80..FFFF)"},
        {{"--pointer", "10000"}, "--pointer: bad pointer '10000' (hexadecimal, 8C80..FFFF)"},
        {{"--set", "10 dual C K: 1"}, "--set: record 1: a record of a dual set needs 2 readings, got 1"},
        {{"--silence-after", "3"}, "--silence-after and --silence-for go together"},
        {{"--silence-for", "3"}, "--silence-after and --silence-for go together"},
        {{"--replug-after", "3"}, "--replug-after needs --unplug-after"},
        {{"--memory-cut", "x"}, "--memory-cut: bad byte count 'x'"},
        {{"--link="}, "--link: empty path"},
        {{"--replay="}, "--replay: empty path"},
        {{"--replay", "a.txt", "--t1", "20"}, "--replay goes with --link only, not with --t1"},
        {{"--noise", "--replay", "a.txt"}, "--replay goes with --link only, not with --noise"},
    };
    for (const auto& [arguments, message] : cases) {
        EXPECT_EQ(error_of(arguments), message);
    }
}

TEST(Options, HelpDocumentsEveryOptionAndCommand) {
    const std::string help = help_text();
    for (const char* word : {"--model",
                             "--unit",
                             "--type",
                             "--period",
                             "--t1",
                             "--t2",
                             "--seed",
                             "--noise",
                             "--partial",
                             "--silence-after",
                             "--silence-for",
                             "--unplug-after",
                             "--replug-after",
                             "--link",
                             "--memory ",
                             "--set",
                             "--pointer",
                             "--mute-memory",
                             "--memory-cut",
                             "--replay",
                             "--help",
                             "model dual|single",
                             "unit C|F|K",
                             "type K|J",
                             "t1 VALUE",
                             "t2 VALUE",
                             "period MS",
                             "silence S",
                             "noise on|off",
                             "partial on|off",
                             "mute-memory on|off",
                             "memory-cut N|off",
                             "unplug",
                             "replug",
                             "status",
                             "quit",
                             "35966 + BytesUsed",
                             "4096",
                             "00 55 AA 00"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

}  // namespace
}  // namespace calvex::sim
