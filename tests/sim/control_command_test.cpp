#include "control_command.h"

#include <gtest/gtest.h>

#include <string>

#include "instrument.h"
#include "sim_error.h"

namespace calvex::sim {
namespace {

using std::chrono::milliseconds;

TEST(ControlCommand, ParsesEachCommand) {
    using namespace control;
    EXPECT_EQ(std::get<SetModel>(parse_control_command("model single")).model, Model::Single);
    EXPECT_EQ(std::get<SetModel>(parse_control_command("MODEL Dual")).model, Model::Dual);
    EXPECT_EQ(std::get<SetUnit>(parse_control_command("unit F")).unit, Unit::Fahrenheit);
    EXPECT_EQ(std::get<SetType>(parse_control_command("type J")).type, ThermocoupleType::J);
    const SetChannel t1 = std::get<SetChannel>(parse_control_command("t1 OL"));
    EXPECT_EQ(t1.channel, 1);
    EXPECT_EQ(t1.fixed, Reading::overload());
    EXPECT_EQ(std::get<SetChannel>(parse_control_command("t1 23.4")).fixed, Reading::value(234));
    const SetChannel t2 = std::get<SetChannel>(parse_control_command("  t2   auto  "));
    EXPECT_EQ(t2.channel, 2);
    EXPECT_EQ(t2.fixed, std::nullopt);
    EXPECT_EQ(std::get<SetChannel>(parse_control_command("t2 ----")).fixed, Reading::no_value());
    EXPECT_EQ(std::get<SetPeriod>(parse_control_command("period 250")).period, milliseconds(250));
    EXPECT_EQ(std::get<Silence>(parse_control_command("silence 12")).length, std::chrono::seconds(12));
    EXPECT_EQ(std::get<Silence>(parse_control_command("silence 0.5")).length, milliseconds(500));
    EXPECT_TRUE(std::get<SetNoise>(parse_control_command("noise on")).on);
    EXPECT_FALSE(std::get<SetNoise>(parse_control_command("noise off")).on);
    EXPECT_TRUE(std::get<SetPartial>(parse_control_command("partial ON")).on);
    EXPECT_TRUE(std::get<SetMemoryMute>(parse_control_command("mute-memory on")).on);
    EXPECT_EQ(std::get<SetMemoryCut>(parse_control_command("memory-cut 100")).cut, 100u);
    EXPECT_EQ(std::get<SetMemoryCut>(parse_control_command("memory-cut off")).cut, std::nullopt);
    EXPECT_TRUE(std::holds_alternative<Unplug>(parse_control_command("unplug")));
    EXPECT_TRUE(std::holds_alternative<Replug>(parse_control_command("replug")));
    EXPECT_TRUE(std::holds_alternative<Status>(parse_control_command("status")));
    EXPECT_TRUE(std::holds_alternative<Help>(parse_control_command("help")));
    EXPECT_TRUE(std::holds_alternative<Quit>(parse_control_command("quit")));
    EXPECT_TRUE(std::holds_alternative<Nothing>(parse_control_command("")));
    EXPECT_TRUE(std::holds_alternative<Nothing>(parse_control_command("   # just a note")));
    EXPECT_TRUE(std::holds_alternative<Unplug>(parse_control_command("unplug # now")));
}

TEST(ControlCommand, RejectsWithAMessage) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"frobnicate", "unknown command 'frobnicate' (try 'help')"},
        {"model", "'model' takes one argument (try 'help')"},
        {"model dual single", "'model' takes one argument (try 'help')"},
        {"model triple", "bad model 'triple' (use dual or single)"},
        {"unit R", "bad unit 'R' (use C, F or K)"},
        {"type Z", "bad thermocouple type 'Z' (use K, J, E, T, R, S or N)"},
        {"t1 warm", "bad reading 'warm' (use a number such as 25.1, or OL, -OL, ----)"},
        {"t3 1", "unknown command 't3' (try 'help')"},
        {"period 5", "bad period '5' (milliseconds, 10..60000)"},
        {"period 60001", "bad period '60001' (milliseconds, 10..60000)"},
        {"silence -1", "bad duration '-1' (seconds, for example 12 or 2.5)"},
        {"noise maybe", "expected on or off, got 'maybe'"},
        {"memory-cut -3", "bad memory cut '-3' (a byte count or off)"},
        {"unplug now", "'unplug' takes no argument"},
        {"quit 1", "'quit' takes no argument"},
    };
    for (const auto& [line, message] : cases) {
        try {
            parse_control_command(line);
            FAIL() << "accepted: " << line;
        } catch (const SimError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
}

TEST(ControlCommand, ApplyChangesOnlyInstrumentSettings) {
    Instrument instrument(InstrumentConfig{}, MemoryStore{});
    const Time now{0};
    EXPECT_TRUE(apply_control_command(parse_control_command("noise on"), instrument, now));
    EXPECT_TRUE(instrument.config().noise);
    EXPECT_TRUE(apply_control_command(parse_control_command("mute-memory on"), instrument, now));
    EXPECT_TRUE(instrument.config().memory_mute);
    EXPECT_TRUE(apply_control_command(parse_control_command("memory-cut 5"), instrument, now));
    EXPECT_EQ(instrument.responder().cut(), 5u);
    EXPECT_TRUE(apply_control_command(parse_control_command("silence 3"), instrument, now));
    EXPECT_TRUE(instrument.silent(std::chrono::seconds(2)));
    EXPECT_FALSE(instrument.silent(std::chrono::seconds(3)));
    EXPECT_TRUE(
        apply_control_command(parse_control_command("silence 0"), instrument, std::chrono::seconds(1)));
    EXPECT_FALSE(instrument.silent(std::chrono::seconds(1)));
    for (const char* line : {"unplug", "replug", "status", "help", "quit", ""}) {
        EXPECT_FALSE(apply_control_command(parse_control_command(line), instrument, now)) << line;
    }
}

}  // namespace
}  // namespace calvex::sim
